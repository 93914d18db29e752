#pragma once

namespace SOUI {

class SObjectFactoryMgr;

// Registers every window class of the toolkit by its layout element name.
void RegisterToolkitWindows(SObjectFactoryMgr& factory);

}  // namespace SOUI
