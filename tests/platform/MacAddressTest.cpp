#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "platform/MacAddress.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

enum class Bus { Pci, Usb, Virtual };

// Builds one interface of a /sys/class/net look-alike.
void AddInterface(const TempDir& root, const std::string& name, int index,
                  const std::string& address, Bus bus, bool wireless = false) {
    fs::path dir = root / "net" / name;
    fs::create_directories(dir);
    WriteFile(dir / "ifindex", std::to_string(index) + "\n");
    WriteFile(dir / "address", address + "\n");
    if (bus != Bus::Virtual) {
        fs::path busDir = root / "bus" / (bus == Bus::Pci ? "pci" : "usb");
        fs::create_directories(busDir);
        fs::create_directories(dir / "device");
        fs::create_symlink(busDir, dir / "device" / "subsystem");
    }
    if (wireless)
        fs::create_directories(dir / "wireless");
}

std::string NetRoot(const TempDir& root) {
    return (root / "net").string();
}

}  // namespace

TEST(MacAddress, FirstPciOrWirelessAdapterByIndexWins) {
    TempDir root;
    AddInterface(root, "lo", 1, "00:00:00:00:00:00", Bus::Virtual);
    AddInterface(root, "wlp2s0", 4, "aa:bb:cc:dd:ee:01", Bus::Pci, true);
    AddInterface(root, "enp3s0", 3, "0a:1b:2c:3d:4e:5f", Bus::Pci);  // lower index than wlp2s0
    AddInterface(root, "docker0", 2, "02:42:ac:11:00:02", Bus::Virtual);
    EXPECT_EQ(GetMacAddressText(NetRoot(root)), L"0A-1B-2C-3D-4E-5F");
}

TEST(MacAddress, WirelessOffThePciBusQualifies) {
    TempDir root;
    AddInterface(root, "usb0", 2, "11:22:33:44:55:66", Bus::Usb);
    AddInterface(root, "wlx00c0ca", 3, "00:c0:ca:12:34:56", Bus::Usb, true);
    EXPECT_EQ(GetMacAddressText(NetRoot(root)), L"00-C0-CA-12-34-56");
}

TEST(MacAddress, OnlyVirtualAdaptersOrNoTreeGiveEmptyText) {
    TempDir root;
    AddInterface(root, "lo", 1, "00:00:00:00:00:00", Bus::Virtual);
    AddInterface(root, "veth1", 5, "5e:00:00:00:00:01", Bus::Virtual);
    AddInterface(root, "usb0", 6, "5e:00:00:00:00:02", Bus::Usb);
    EXPECT_EQ(GetMacAddressText(NetRoot(root)), L"");
    EXPECT_EQ(GetMacAddressText((root / "missing").string()), L"");
}

TEST(MacAddress, VirtioCardOnThePciBusQualifiesButNotOtherVirtio) {
    TempDir root;
    fs::create_directories(root / "bus" / "pci");
    fs::create_directories(root / "bus" / "virtio");
    // A virtual machine's card: net -> virtio function -> PCI device.
    fs::path pciDev = root / "devices" / "pci0000:00" / "0000:00:03.0";
    fs::create_directories(pciDev / "virtio2");
    fs::create_symlink(root / "bus" / "pci", pciDev / "subsystem");
    fs::create_symlink(root / "bus" / "virtio", pciDev / "virtio2" / "subsystem");
    // A virtio device that hangs off no PCI device (e.g. a memory-mapped one).
    fs::path mmioDev = root / "devices" / "platform" / "virtio3";
    fs::create_directories(mmioDev);
    fs::create_symlink(root / "bus" / "virtio", mmioDev / "subsystem");

    AddInterface(root, "lo", 1, "00:00:00:00:00:00", Bus::Virtual);
    for (auto [name, index, address, device] :
         {std::tuple{"eth1", 2, "52:54:00:00:00:02", mmioDev},
          std::tuple{"eth0", 3, "52:54:00:12:34:56", pciDev / "virtio2"}}) {
        fs::path dir = root / "net" / name;
        fs::create_directories(dir);
        WriteFile(dir / "ifindex", std::to_string(index) + "\n");
        WriteFile(dir / "address", std::string(address) + "\n");
        fs::create_symlink(device, dir / "device");
    }
    EXPECT_EQ(GetMacAddressText(NetRoot(root)), L"52-54-00-12-34-56");
}

TEST(MacAddress, AdapterWithoutSixAddressBytesIsPassedOver) {
    std::vector<CNetAdapter> adapters(2);
    adapters[0].strName = "odd0";
    adapters[0].bPciBus = true;
    adapters[0].strAddress = "12:34";
    adapters[1].strName = "eth1";
    adapters[1].bPciBus = true;
    adapters[1].strAddress = "de:ad:be:ef:00:01:ff:ff";  // only the first six bytes count
    EXPECT_EQ(ChooseAdapterAddress(adapters), L"DE-AD-BE-EF-00-01");
}

TEST(MacAddress, RealMachineGivesEmptyOrSixPairs) {
    std::wstring text = GetMacAddressText();
    if (text.empty())
        return;  // a container may have only virtual adapters
    ASSERT_EQ(text.size(), 17u);
    for (size_t i = 0; i < text.size(); ++i) {
        if (i % 3 == 2)
            EXPECT_EQ(text[i], L'-');
        else
            EXPECT_TRUE(iswxdigit(text[i]) && !iswlower(text[i])) << i;
    }
}
