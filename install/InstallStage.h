#pragma once
#include <cstddef>

// The stages of a run, in the order the driver reaches them.
enum class InstallStage {
    Prepare,
    NetCheck,
    NetDownload,
    NetInstall,
    PackDownload,
    PackInstall,
    AfterInstall,
    Done,
};

// Where a stage stands on the run's overall percentage. A download moves
// from nStart to nEnd as its bytes arrive and reports its failure at nEnd;
// every other stage is one point.
struct InstallStagePercent {
    InstallStage eStage;
    int nStart;
    int nEnd;
};

// clang-format off
inline constexpr InstallStagePercent kInstallStagePercents[] = {
    {InstallStage::Prepare,       5,   5},
    {InstallStage::NetCheck,      10,  10},
    {InstallStage::NetDownload,   20,  40},
    {InstallStage::NetInstall,    40,  40},
    {InstallStage::PackDownload,  50,  80},
    {InstallStage::PackInstall,   80,  80},
    {InstallStage::AfterInstall,  90,  90},
    {InstallStage::Done,          100, 100},
};
// clang-format on

constexpr const InstallStagePercent& StagePercent(InstallStage eStage) {
    return kInstallStagePercents[static_cast<size_t>(eStage)];
}
constexpr int StageStart(InstallStage eStage) {
    return StagePercent(eStage).nStart;
}
constexpr int StageEnd(InstallStage eStage) {
    return StagePercent(eStage).nEnd;
}

// The window's bar never goes back: rows in stage order, percentages rising.
constexpr bool StagePercentsRise() {
    int nLast = 0;
    for (size_t i = 0; i < sizeof(kInstallStagePercents) / sizeof(kInstallStagePercents[0]); ++i) {
        const InstallStagePercent& row = kInstallStagePercents[i];
        if (static_cast<size_t>(row.eStage) != i || row.nStart < nLast || row.nEnd < row.nStart)
            return false;
        nLast = row.nEnd;
    }
    return nLast == 100;
}
static_assert(StagePercentsRise(), "stage percentages must rise in stage order up to 100");
