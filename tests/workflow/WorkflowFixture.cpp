#include "WorkflowFixture.h"

#include <cstdlib>

#include "platform/ProcessFind.h"
#include "platform/TextConvert.h"

namespace fs = std::filesystem;

namespace workflowtest {

namespace {

fs::path MakeRegistryRoot() {
    static testsupport::TempDir s_dir;
    setenv("TOVADOC_REGISTRY_ROOT", s_dir.path().c_str(), 1);
    return s_dir.path();
}

// Set before main, while the process has one thread.
const fs::path g_registryRoot = MakeRegistryRoot();

fs::path NdpKey() {
    return g_registryRoot / "HKEY_LOCAL_MACHINE" / "Software" / "Microsoft" /
           "NET Framework Setup" / "NDP";
}

}  // namespace

fs::path RegistryRoot() {
    return g_registryRoot;
}

void RegisterReleases(const std::vector<std::string>& vecNames) {
    for (const std::string& name : vecNames)
        fs::create_directories(NdpKey() / name);
}

bool HasRelease(const std::string& strName) {
    return fs::is_directory(NdpKey() / strName);
}

std::string ForeignProductProcess() {
    for (const wchar_t* name : {L"Tovadoc.exe", L"UpdateAgent.exe", L"ConvertWorker.exe"}) {
        uint32_t pid = 0;
        if (FindProcessByName(name, pid))
            return WideToAnsi(name) + " runs already as pid " + std::to_string(pid) +
                   "; the run would end it";
    }
    return "";
}

void WorkflowFixture::SetUp() {
    std::string strForeign = ForeignProductProcess();
    if (!strForeign.empty())
        GTEST_SKIP() << strForeign;
    m_pRoot = std::make_unique<testsupport::TempDir>();
    m_installerDir = m_pRoot->path() / "installer";
    m_installDir = m_pRoot->path() / "programs" / "Tovadoc";
    fs::create_directories(m_installerDir);
    std::error_code ec;
    fs::remove_all(g_registryRoot / "HKEY_LOCAL_MACHINE", ec);
    m_pRun = std::make_unique<CWorkflowRun>();
}

void WorkflowFixture::TearDown() {
    m_pRun.reset();
    m_server.Stop();
    m_pRoot.reset();
}

void WorkflowFixture::StartServer(const std::vector<std::string>& vecModes,
                                  const std::string& strExtraConfig) {
    ASSERT_TRUE(m_server.Start(m_pRoot->path(), vecModes)) << m_server.Log();
    fs::create_directories(m_installerDir);
    testsupport::WriteFile(
        m_installerDir / "Install.ini",
        "[Config]\n"
        "net40_url=" +
            m_server.Url("/software/third_party/NETFramework4.0.exe") + "\n" +
            "net45_url=" + m_server.Url("/software/third_party/NETFramework4.5.exe") + "\n" +
            "install_pack_url=" + m_server.Url("/software/install_pack/tvdoc2.0.exe") + "\n" +
            "install_statistics_url=" + m_server.Url("/Soft/Sys/InstallationPackage") + "\n" +
            strExtraConfig);
}

std::unique_ptr<CInstallMgr> WorkflowFixture::MakeManager() const {
    auto pMgr = std::make_unique<CInstallMgr>();
    pMgr->m_strExeDir = AnsiToWide(m_installerDir.string());
    pMgr->m_strInstallDir = AnsiToWide(m_installDir.string());
    return pMgr;
}

std::vector<int> WorkflowFixture::RunInstall(CInstallMgr& mgr) {
    EXPECT_TRUE(m_pRun->Run(mgr)) << "the run did not finish";
    return m_pRun->Rows();
}

}  // namespace workflowtest
