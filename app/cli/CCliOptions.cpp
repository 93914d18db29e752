#include "app/cli/CCliOptions.h"

#include <cstdlib>
#include <cstring>

namespace {

// A whole decimal number in [nMin, nMax], nothing else.
bool ParseNumber(const std::string& strText, unsigned long nMin, unsigned long nMax,
                 uint32_t& nValue) {
    if (strText.empty() || strText.size() > 10 ||
        strText.find_first_not_of("0123456789") != std::string::npos)
        return false;
    unsigned long n = std::strtoul(strText.c_str(), nullptr, 10);
    if (n < nMin || n > nMax)
        return false;
    nValue = static_cast<uint32_t>(n);
    return true;
}

}  // namespace

const char* CCliOptions::Usage() {
    return "usage: install-cli [--unattended] --accept-licence [--install-dir DIR]\n"
           "                   [--language 1|2] [--log FILE]\n"
           "       install-cli --show-licence [--language 1|2]\n"
           "From the archive: sh TovadocInstaller-<version>-linux-x86_64.run -- --unattended ...\n"
           "  --accept-licence  you accept the licence (--show-licence prints it); without it\n"
           "                    nothing is installed\n"
           "  --install-dir DIR where the product goes; \"Tovadoc\" is appended unless DIR ends\n"
           "                    in it (default: /opt/Tovadoc as root, else\n"
           "                    ~/.local/share/Tovadoc)\n"
           "  --language 1|2    1 Chinese, 2 English (default: Install.ini's language)\n"
           "  --log FILE        the installer's log (default: installer.log beside it)\n"
           "  --installer-dir DIR, --pack-timeout-ms N   for tests and the demo\n"
           "Exit codes: 0 installed; 1 install failed (reason on standard error); 2 usage\n"
           "error; 3 licence not accepted; 4 another installer is running from this folder;\n"
           "128+N ended by signal N (143: SIGTERM), nothing left half-downloaded.\n";
}

bool CCliOptions::Parse(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        std::string strArg = argv[i];
        std::string strValue;
        bool bInlineValue = false;
        if (size_t nEq = strArg.find('='); strArg.rfind("--", 0) == 0 && nEq != std::string::npos) {
            strValue = strArg.substr(nEq + 1);
            strArg.resize(nEq);
            bInlineValue = true;
        }
        // A flag takes no value; an option takes exactly one.
        auto takeValue = [&](std::string& strOut) {
            if (bInlineValue) {
                strOut = strValue;
            } else if (i + 1 < argc) {
                strOut = argv[++i];
            } else {
                m_strError = strArg + " needs a value";
                return false;
            }
            if (strOut.empty()) {
                m_strError = strArg + " needs a value";
                return false;
            }
            return true;
        };
        auto flag = [&](bool& bOut) {
            if (bInlineValue) {
                m_strError = strArg + " takes no value";
                return false;
            }
            bOut = true;
            return true;
        };
        std::string strNumber;
        bool bOk = true;
        if (strArg == "--help" || strArg == "-h") {
            bOk = flag(m_bHelp);
        } else if (strArg == "--unattended") {
            bOk = flag(m_bUnattended);
        } else if (strArg == "--accept-licence" || strArg == "--accept-license") {
            bOk = flag(m_bAcceptLicence);
        } else if (strArg == "--show-licence" || strArg == "--show-license") {
            bOk = flag(m_bShowLicence);
        } else if (strArg == "--install-dir") {
            bOk = takeValue(m_strInstallDir);
        } else if (strArg == "--installer-dir") {
            bOk = takeValue(m_strInstallerDir);
        } else if (strArg == "--log") {
            bOk = takeValue(m_strLogFile);
        } else if (strArg == "--language") {
            bOk = takeValue(strNumber);
            if (bOk && !ParseNumber(strNumber, 1, 2, m_nLanguage)) {
                m_strError = "--language is 1 (Chinese) or 2 (English), not " + strNumber;
                bOk = false;
            }
        } else if (strArg == "--pack-timeout-ms") {
            bOk = takeValue(strNumber);
            if (bOk && !ParseNumber(strNumber, 1, 4294967295UL, m_nPackTimeoutMs)) {
                m_strError = "--pack-timeout-ms is a number of milliseconds, not " + strNumber;
                bOk = false;
            }
        } else {
            m_strError = "unknown argument " + strArg;
            bOk = false;
        }
        if (!bOk)
            return false;
    }
    return true;
}
