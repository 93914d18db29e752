#include "DesktopSession.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace desktoptest {

namespace {

std::string Capture(const std::string& strCommand) {
    std::string strOut;
    if (FILE* pPipe = popen(strCommand.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, pPipe)) > 0)
            strOut.append(buf, n);
        if (pclose(pPipe) != 0)
            strOut.clear();
    }
    while (!strOut.empty() && strOut.back() == '\n')
        strOut.pop_back();
    return strOut;
}

int ShellField(const std::string& strShell, const std::string& strKey) {
    size_t nPos = strShell.find(strKey + "=");
    return nPos == std::string::npos ? -1 : std::atoi(strShell.c_str() + nPos + strKey.size() + 1);
}

}  // namespace

fs::path BinDir() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

bool CXvfb::Start(int nWidth, int nHeight, const fs::path& log) {
    // Xvfb picks a free display itself and writes its number to fd 3.
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    std::string strFd = "/proc/self/fd/" + std::to_string(fds[1]);
    // The pipe's write end reaches the server as its inherited descriptor.
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    bool bStarted = m_server.Start(
        // -noreset: the server otherwise resets when its last client leaves,
        // and a program connecting during the reset is refused.
        {"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-noreset", "-screen", "0",
         std::to_string(nWidth) + "x" + std::to_string(nHeight) + "x24", "-nolisten", "tcp"},
        {}, log);
    close(fds[1]);
    std::string strNumber;
    char c;
    // Blocks until the server writes its number or dies (end of file).
    while (bStarted && read(fds[0], &c, 1) == 1 && c != '\n')
        strNumber += c;
    close(fds[0]);
    if (strNumber.empty())
        return false;
    m_strDisplay = ":" + strNumber;
    return true;
}

std::string CXvfb::XDoTool(const std::string& strArgs) const {
    return Capture("DISPLAY=" + m_strDisplay + " xdotool " + strArgs + " 2>/dev/null");
}

cairo_surface_t* CXvfb::Screenshot(const fs::path& scratch) const {
    fs::path file = scratch / "screen.png";
    std::string strCmd = "import -display " + m_strDisplay +
                         " -window root 'png32:" + file.string() + "' >/dev/null 2>&1";
    if (std::system(strCmd.c_str()) != 0)
        return nullptr;
    cairo_surface_t* pSurface = cairo_image_surface_create_from_png(file.c_str());
    if (cairo_surface_status(pSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(pSurface);
        return nullptr;
    }
    return pSurface;
}

bool FindWindow(const CXvfb& x, const std::string& strName, std::string& strId, WindowBox& box,
                int nTimeoutMs) {
    for (int nWaited = 0; nWaited < nTimeoutMs; nWaited += 100) {
        strId = x.XDoTool("search --onlyvisible --name '" + strName + "' | head -n 1");
        if (!strId.empty()) {
            std::string strShell = x.XDoTool("getwindowgeometry --shell " + strId);
            box = {ShellField(strShell, "X"), ShellField(strShell, "Y"),
                   ShellField(strShell, "WIDTH"), ShellField(strShell, "HEIGHT")};
            if (box.cx > 0)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool CWeston::Start(const fs::path& runtimeDir, const fs::path& log) {
    m_strSocket = "wayland-tovadoc-test-" + std::to_string(getpid());
    fs::permissions(runtimeDir, fs::perms::owner_all, fs::perm_options::replace);
    if (!m_compositor.Start({"/usr/bin/weston", "--backend=headless-backend.so",
                             "--socket=" + m_strSocket, "--idle-time=0", "--no-config"},
                            {{"XDG_RUNTIME_DIR", runtimeDir.string()}}, log))
        return false;
    for (int i = 0; i < 300; ++i) {
        if (fs::exists(runtimeDir / m_strSocket))
            return true;
        if (!m_compositor.IsRunning())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

uint32_t RgbAt(cairo_surface_t* pSurface, int x, int y) {
    cairo_surface_flush(pSurface);
    const unsigned char* pData = cairo_image_surface_get_data(pSurface);
    int nStride = cairo_image_surface_get_stride(pSurface);
    return *reinterpret_cast<const uint32_t*>(pData + y * nStride + x * 4) & 0xffffff;
}

}  // namespace desktoptest
