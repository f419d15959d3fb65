// Warnings of one kind together, so that a change that gives the same finding eighty times (a shortened
// route leaves every later feature beyond its end) reads as one finding with a count. The kind is the
// finding's row in the finding table.
#pragma once

#include <string>
#include <vector>

#include "tool/check/source_lint.h"

namespace pack {
struct VerdictFinding;
}

namespace pack {

// The warnings (in the order given) by finding: the kinds the compiler stops at first, then those it reads
// otherwise than meant, then those of form (the finding table's severities), each kind where its first
// warning stands within them; a warning of no finding is a kind of its own.
std::vector<std::vector<const LintWarning*>> groupWarnings(const std::vector<LintWarning>& warnings);

// One kind of a verdict's findings as printed without --all: its first finding, then how many more there
// are and where; `omitted` more were counted only.
std::string kindSummaryText(const std::vector<const VerdictFinding*>& kind, std::size_t omitted);

}  // namespace pack
