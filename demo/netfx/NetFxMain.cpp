// The demo .NET Framework 4 installer: registers a "v4" key in the registry
// hive (the one CRegSettings reads), so the next run finds the framework.
// Exit 0 on success, 1 when the hive cannot be written.
#include <cstdio>
#include <string>

#include "demo/common/SlowInstall.h"
#include "platform/CRegSettings.h"

int main() {
    DemoSlowInstall();
    const std::wstring kKey = L"Software\\Microsoft\\NET Framework Setup\\NDP\\v4";
    std::string strPath;
    for (const wchar_t* profile : {L"\\Client", L"\\Full"}) {
        if (!CRegSettings::ResolveKeyPath(kKey + profile, true, strPath)) {
            std::fprintf(stderr, "NETFramework4: cannot register under %s\n",
                         CRegSettings::GetHiveRoot().c_str());
            return 1;
        }
    }
    std::printf("NETFramework4: registered %s\n", strPath.c_str());
    return 0;
}
