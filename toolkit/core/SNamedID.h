#pragma once

namespace SOUI {

// A control name and its numeric ID; tables of them are kept sorted by name
// (code unit order) so lookups can bisect.
struct SNamedID {
    const wchar_t* strName;
    int nID;
};

}  // namespace SOUI
