#include "platform/MacAddress.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// The first six bytes of "aa:bb:..."; false when there are fewer.
bool ParseAddress(const std::string& text, unsigned char bytes[6]) {
    size_t pos = 0;
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ':')
                return false;
            ++pos;
        }
        if (pos + 2 > text.size() || !isxdigit(static_cast<unsigned char>(text[pos])) ||
            !isxdigit(static_cast<unsigned char>(text[pos + 1])))
            return false;
        bytes[i] = static_cast<unsigned char>(std::stoi(text.substr(pos, 2), nullptr, 16));
        pos += 2;
    }
    return true;
}

std::string SubsystemOf(const fs::path& device) {
    std::error_code ec;
    fs::path subsystem = fs::read_symlink(device / "subsystem", ec);
    return ec ? std::string() : subsystem.filename().string();
}

// A card on the PCI bus, or a virtual machine's card that reaches the guest
// through a virtio function on the PCI bus (the guest's equivalent of a PCI
// network card).
bool IsPciNetworkDevice(const fs::path& device) {
    std::string subsystem = SubsystemOf(device);
    if (subsystem == "pci")
        return true;
    if (subsystem != "virtio")
        return false;
    std::error_code ec;
    fs::path real = fs::canonical(device, ec);
    return !ec && SubsystemOf(real.parent_path()) == "pci";
}

}  // namespace

std::vector<CNetAdapter> ListNetAdapters(const std::string& sysRoot) {
    std::vector<CNetAdapter> adapters;
    std::error_code ec;
    fs::directory_iterator it(sysRoot, ec);
    if (ec) {
        WriteLog(L"%s cannot read %s", L"MacAddress::ListNetAdapters", AnsiToWide(sysRoot).c_str());
        return adapters;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const fs::path dir = it->path();
        CNetAdapter adapter;
        adapter.strName = dir.filename().string();
        std::string index = ReadFirstLine(dir / "ifindex");
        adapter.nIndex = index.empty() ? 0 : std::atoi(index.c_str());
        adapter.strAddress = ReadFirstLine(dir / "address");
        std::error_code linkEc;
        adapter.bPciBus = IsPciNetworkDevice(dir / "device");
        adapter.bWireless =
            fs::exists(dir / "wireless", linkEc) || fs::exists(dir / "phy80211", linkEc);
        adapters.push_back(std::move(adapter));
    }
    std::stable_sort(
        adapters.begin(), adapters.end(),
        [](const CNetAdapter& a, const CNetAdapter& b) { return a.nIndex < b.nIndex; });
    return adapters;
}

std::wstring ChooseAdapterAddress(const std::vector<CNetAdapter>& adapters) {
    for (const CNetAdapter& adapter : adapters) {
        if (!adapter.bPciBus && !adapter.bWireless)
            continue;
        unsigned char b[6];
        if (!ParseAddress(adapter.strAddress, b)) {
            WriteLog(L"%s skips %s: address \"%s\"", L"MacAddress::ChooseAdapterAddress",
                     AnsiToWide(adapter.strName).c_str(), AnsiToWide(adapter.strAddress).c_str());
            continue;
        }
        char text[64];
        snprintf(text, sizeof(text), "%02X-%02X-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3], b[4],
                 b[5]);
        return AnsiToWide(text);
    }
    return std::wstring();
}

std::wstring GetMacAddressText(const std::string& sysRoot) {
    return ChooseAdapterAddress(ListNetAdapters(sysRoot));
}
