#include "STranslatorMgr.h"

extern "C" __attribute__((visibility("default"))) int SCreateInstance(SOUI::IObjRef** ppObj) {
    if (!ppObj)
        return 0;
    *ppObj = new SOUI::STranslatorMgr();
    return 1;
}
