// The demo package TovadocSetup.exe: this program followed by the demo
// product and a trailer. Honours the switches of a silent setup:
//   TovadocSetup.exe /VERYSILENT /SUPPRESSMSGBOXES /DIR=<folder>
// and installs Tovadoc.exe into <folder>, without any window. Exit 0
// exactly when the product is in place.
// "--pack <product> <out>" builds the package from this program.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "demo/common/SlowInstall.h"

namespace fs = std::filesystem;

namespace {

const char kMagic[8] = {'T', 'V', 'D', 'P', 'A', 'C', 'K', '1'};

enum ExitCode { kOk = 0, kUsage = 2, kBadPackage = 3, kBadFolder = 4 };

struct Trailer {
    uint64_t nPayloadSize;
    char szMagic[8];
};

bool ReadWhole(const fs::path& file, std::string& data) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Splits this program's bytes into the stub and the payload it carries.
bool SplitSelf(std::string& stub, std::string& payload) {
    std::string self;
    if (!ReadWhole("/proc/self/exe", self))
        return false;
    Trailer t{};
    if (self.size() >= sizeof(t))
        std::memcpy(&t, self.data() + self.size() - sizeof(t), sizeof(t));
    if (self.size() < sizeof(t) || std::memcmp(t.szMagic, kMagic, sizeof(kMagic)) != 0) {
        stub = self;
        payload.clear();
        return true;
    }
    if (t.nPayloadSize > self.size() - sizeof(t))
        return false;
    size_t stubSize = self.size() - sizeof(t) - t.nPayloadSize;
    stub = self.substr(0, stubSize);
    payload = self.substr(stubSize, t.nPayloadSize);
    return true;
}

int Pack(const fs::path& product, const fs::path& out) {
    std::string stub, ignored, payload;
    if (!SplitSelf(stub, ignored) || !ReadWhole(product, payload) || payload.empty()) {
        std::fprintf(stderr, "TovadocSetup: cannot read %s\n", product.c_str());
        return kBadPackage;
    }
    Trailer t{};
    t.nPayloadSize = payload.size();
    std::memcpy(t.szMagic, kMagic, sizeof(kMagic));
    fs::path tmp = out.string() + ".tmp";
    {
        std::ofstream o(tmp, std::ios::binary | std::ios::trunc);
        o.write(stub.data(), static_cast<std::streamsize>(stub.size()));
        o.write(payload.data(), static_cast<std::streamsize>(payload.size()));
        o.write(reinterpret_cast<const char*>(&t), sizeof(t));
        if (!o.flush()) {
            std::fprintf(stderr, "TovadocSetup: cannot write %s\n", tmp.c_str());
            return kBadFolder;
        }
    }
    chmod(tmp.c_str(), 0755);
    std::error_code ec;
    fs::rename(tmp, out, ec);
    if (ec) {
        std::fprintf(stderr, "TovadocSetup: cannot write %s\n", out.c_str());
        return kBadFolder;
    }
    return kOk;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    return strncasecmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

int Install(const fs::path& folder) {
    std::string stub, payload;
    if (!SplitSelf(stub, payload) || payload.empty()) {
        std::fprintf(stderr, "TovadocSetup: the package carries no product\n");
        return kBadPackage;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        std::fprintf(stderr, "TovadocSetup: cannot create folder %s\n", folder.c_str());
        return kBadFolder;
    }
    // Write beside the target and rename, so a failed install never leaves a
    // half-written product behind.
    fs::path target = folder / "Tovadoc.exe";
    fs::path tmp = folder / "Tovadoc.exe.part";
    {
        std::ofstream o(tmp, std::ios::binary | std::ios::trunc);
        o.write(payload.data(), static_cast<std::streamsize>(payload.size()));
        if (!o.flush()) {
            o.close();
            fs::remove(tmp, ec);
            std::fprintf(stderr, "TovadocSetup: cannot write into %s\n", folder.c_str());
            return kBadFolder;
        }
    }
    chmod(tmp.c_str(), 0755);
    fs::rename(tmp, target, ec);
    if (ec) {
        fs::remove(tmp, ec);
        std::fprintf(stderr, "TovadocSetup: cannot place %s\n", target.c_str());
        return kBadFolder;
    }
    std::printf("TovadocSetup: installed %s\n", target.c_str());
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--pack")
        return Pack(argv[2], argv[3]);

    std::string strDir;
    bool bDir = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (StartsWithNoCase(arg, "/DIR=")) {
            strDir = arg.substr(5);
            bDir = true;
        } else if (strcasecmp(arg.c_str(), "/VERYSILENT") != 0 &&
                   strcasecmp(arg.c_str(), "/SILENT") != 0 &&
                   strcasecmp(arg.c_str(), "/SUPPRESSMSGBOXES") != 0) {
            std::fprintf(stderr, "TovadocSetup: unknown switch %s\n", arg.c_str());
            return kUsage;
        }
    }
    if (!bDir || strDir.empty()) {
        std::fprintf(stderr,
                     "usage: TovadocSetup.exe /VERYSILENT /SUPPRESSMSGBOXES /DIR=<folder>\n");
        return kUsage;
    }
    DemoSlowInstall();
    return Install(strDir);
}
