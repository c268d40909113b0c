// The theme's attribute-file parser on any bytes: no crash, no undefined behaviour.
#include <mthemerules_p.h>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MThemeRules::Rules rules;
    MThemeRules::parse(QString::fromUtf8(reinterpret_cast<const char*>(data), int(size)), rules);
    return 0;
}
