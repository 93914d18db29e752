#pragma once
#include <string>
#include <vector>

// One network interface as the adapter choice needs it.
struct CNetAdapter {
    int nIndex = 0;          // interface index: the system's order
    std::string strName;     // "eth0"
    bool bPciBus = false;    // the device sits on the PCI bus
    bool bWireless = false;  // an 802.11 interface
    std::string strAddress;  // as the kernel writes it: "aa:bb:cc:dd:ee:ff"
};

// Reads the interfaces under sysRoot (normally "/sys/class/net"), sorted by index.
std::vector<CNetAdapter> ListNetAdapters(const std::string& sysRoot);
// "AA-BB-CC-DD-EE-FF" of the first PCI or wireless adapter in the given
// order with a usable address; empty when none qualifies.
std::wstring ChooseAdapterAddress(const std::vector<CNetAdapter>& adapters);
// The machine identifier sent with the install statistics.
std::wstring GetMacAddressText(const std::string& sysRoot = "/sys/class/net");
