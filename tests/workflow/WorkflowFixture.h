#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "DemoServerProcess.h"
#include "WorkflowRun.h"
#include "install/CInstallMgr.h"
#include "support/TempDir.h"

namespace workflowtest {

// The registry hive every test of this program uses (one per process, so
// that no test changes the environment while threads run).
std::filesystem::path RegistryRoot();
// Registers the framework release keys given, e.g. {"v2.0.50727", "v4"}.
void RegisterReleases(const std::vector<std::string>& vecNames);
bool HasRelease(const std::string& strName);
// Describes a running process under one of the product's names that this
// test did not start; empty when there is none. A run would end it.
std::string ForeignProductProcess();

// One installer folder, install folder, demo server and notification centre.
class WorkflowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the demo server with the modes given and writes Install.ini
    // pointing at it, plus any extra Config lines.
    void StartServer(const std::vector<std::string>& vecModes = {},
                     const std::string& strExtraConfig = "");
    // A manager for this installer and install folder.
    std::unique_ptr<CInstallMgr> MakeManager() const;
    // Runs one whole installation and returns its table rows.
    std::vector<int> RunInstall(CInstallMgr& mgr);

    std::filesystem::path m_installerDir;
    std::filesystem::path m_installDir;
    std::unique_ptr<testsupport::TempDir> m_pRoot;
    CDemoServerProcess m_server;
    std::unique_ptr<CWorkflowRun> m_pRun;
};

}  // namespace workflowtest
