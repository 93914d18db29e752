#include "SImgDecoderPng.h"

extern "C" __attribute__((visibility("default"))) int SCreateInstance(SOUI::IObjRef** ppObj) {
    if (!ppObj)
        return 0;
    *ppObj = new SOUI::SImgDecoderPng();
    return 1;
}
