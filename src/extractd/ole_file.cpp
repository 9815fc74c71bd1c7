// Read access to an OLE compound file (legacy Office, Outlook .msg, encrypted OOXML) via libgsf.
#include "extractd/ole_file.h"

#include "extractd/extract_error.h"

#include <gsf/gsf.h>

std::uint16_t ReadLe16(std::string_view aBytes, std::size_t aAt)
{
    if (aAt > aBytes.size() || aBytes.size() - aAt < 2)
        return 0;
    const auto *p = reinterpret_cast<const unsigned char *>(aBytes.data() + aAt);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadLe32(std::string_view aBytes, std::size_t aAt)
{
    if (aAt > aBytes.size() || aBytes.size() - aAt < 4)
        return 0;
    return ReadLe16(aBytes, aAt) | (static_cast<std::uint32_t>(ReadLe16(aBytes, aAt + 2)) << 16);
}

TOleFile::TOleFile(std::string_view aBytes)
{
    static const bool initialised = (gsf_init(), true);
    (void)initialised;
    fInput = gsf_input_memory_new(reinterpret_cast<const guint8 *>(aBytes.data()),
                                  static_cast<gsf_off_t>(aBytes.size()), FALSE);
    if (fInput != nullptr)
        fRoot = gsf_infile_msole_new(fInput, nullptr);
    if (fRoot == nullptr) {
        if (fInput != nullptr)
            g_object_unref(fInput);
        ThrowCorrupt("not a compound file");
    }
}

TOleFile::~TOleFile()
{
    g_object_unref(fRoot);
    g_object_unref(fInput);
}

GsfInput *TOleFile::Open(const std::string &aPath) const
{
    GsfInput *current = GSF_INPUT(g_object_ref(fRoot));
    std::size_t start = 0;
    while (current != nullptr && start < aPath.size()) {
        std::size_t end = aPath.find('/', start);
        if (end == std::string::npos)
            end = aPath.size();
        std::string name = aPath.substr(start, end - start);
        GsfInput *child =
            GSF_IS_INFILE(current) ? gsf_infile_child_by_name(GSF_INFILE(current), name.c_str()) : nullptr;
        g_object_unref(current);
        current = child;
        start = end + 1;
    }
    return current;
}

std::vector<std::string> TOleFile::Children(const std::string &aPath) const
{
    std::vector<std::string> names;
    GsfInput *storage = Open(aPath);
    if (storage == nullptr)
        return names;
    if (GSF_IS_INFILE(storage)) {
        int count = gsf_infile_num_children(GSF_INFILE(storage));
        for (int i = 0; i < count; ++i)
            if (const char *name = gsf_infile_name_by_index(GSF_INFILE(storage), i))
                names.emplace_back(name);
    }
    g_object_unref(storage);
    return names;
}

std::optional<std::string> TOleFile::ReadStream(const std::string &aPath, std::uint64_t aMaxBytes) const
{
    GsfInput *stream = Open(aPath);
    if (stream == nullptr)
        return std::nullopt;
    std::optional<std::string> data;
    gsf_off_t size = gsf_input_size(stream);
    if (size >= 0 && static_cast<std::uint64_t>(size) <= aMaxBytes) {
        data.emplace(static_cast<std::size_t>(size), '\0');
        if (size > 0 && gsf_input_read(stream, static_cast<size_t>(size),
                                       reinterpret_cast<guint8 *>(data->data())) == nullptr)
            data.reset();
    }
    g_object_unref(stream);
    return data;
}
