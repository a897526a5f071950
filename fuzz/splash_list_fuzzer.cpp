// Feeds arbitrary bytes as "logo/logo.ini": the slide names the splash screens show.
#include "Source/TD/Screens/TDSplashScreens.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    TDSplashScreens::ParseList(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
