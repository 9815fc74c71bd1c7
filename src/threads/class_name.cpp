// Readable C++ class names.
#include "threads/class_name.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>

QString ClassNameOf(const std::type_info &aType)
{
    int lResult = 0;
    std::unique_ptr<char, void (*)(void *)> lName(
        abi::__cxa_demangle(aType.name(), nullptr, nullptr, &lResult), std::free);
    return QString::fromUtf8(lResult == 0 && lName ? lName.get() : aType.name());
}
