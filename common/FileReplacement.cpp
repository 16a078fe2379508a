#include "FileReplacement.h"

namespace Kestrin
{
void ReplaceFileBytes(const std::string& path, std::string_view bytes)
{
    FileReplacement output(path);
    output.Write(bytes);
    output.Commit();
}
} // namespace Kestrin
