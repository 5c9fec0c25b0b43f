#pragma once

// True when this Windows process runs under Wine (the registry key
// HKEY_LOCAL_MACHINE\Software\Wine exists); asked once, then cached.
// Always false on other platforms. [any thread]
bool IsRunningUnderWine();
