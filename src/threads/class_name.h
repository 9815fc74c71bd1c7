// Readable C++ class names for messages about threads and work items.
#pragma once

#include <QString>
#include <typeinfo>

// The demangled name of aType ("TZorFileSearch"); the raw name when it cannot be demangled.
QString ClassNameOf(const std::type_info &aType);
