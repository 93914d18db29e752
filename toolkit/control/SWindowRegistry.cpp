#include "toolkit/control/SWindowRegistry.h"

#include "toolkit/control/SCaption.h"
#include "toolkit/control/SCheckBox.h"
#include "toolkit/control/SEdit.h"
#include "toolkit/control/SImageButton.h"
#include "toolkit/control/SImageWnd.h"
#include "toolkit/control/SLink.h"
#include "toolkit/control/SProgress.h"
#include "toolkit/control/SRichEdit.h"
#include "toolkit/control/SStatic.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/res/ISystemObjectRegister.h"

namespace SOUI {

namespace {
template <class T>
void Add(SObjectFactoryMgr& factory) {
    factory.Register(T::GetClassName(), [] { return static_cast<IObject*>(new T()); });
}

// The application's default register gets the windows from here.
const bool s_bRegistrar =
    (SObjectDefaultRegister::SetWindowRegistrar(&RegisterToolkitWindows), true);
}  // namespace

void RegisterToolkitWindows(SObjectFactoryMgr& factory) {
    (void)s_bRegistrar;
    Add<SWindow>(factory);
    Add<SCaption>(factory);
    Add<SImageButton>(factory);
    Add<SImageWnd>(factory);
    Add<SStatic>(factory);
    Add<SLink>(factory);
    Add<SCheckBox>(factory);
    Add<SEdit>(factory);
    Add<SProgress>(factory);
    Add<STabCtrl>(factory);
    Add<STabPage>(factory);
    Add<SRichEdit>(factory);
}

}  // namespace SOUI
