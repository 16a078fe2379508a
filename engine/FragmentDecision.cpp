// SPDX-License-Identifier: MIT
#include "FragmentDecision.h"

namespace Kestrin
{
FragmentStep DecideFragment(const FoundAtName& found, bool silent)
{
    // Writing through such a link is not what the user chose, silent or not.
    const bool linkAsked = found.Link && (!found.InsideTarget || !found.Exists);
    const bool mustAsk = linkAsked || found.ListFile || (found.Exists && found.Source);
    if (found.Exists && !mustAsk && found.WrittenBefore)
        return FragmentStep::AskRepeatedName;
    if (!mustAsk && (silent || !found.Exists))
        return FragmentStep::Write;
    return linkAsked ? FragmentStep::AskAboutLink : FragmentStep::AskOverwrite;
}
} // namespace Kestrin
