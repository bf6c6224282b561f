// The readable detail file of a check ("<time>.dat" beside its summary): a heading, the
// reference, then one line per monitored machine with its role, address and variance or
// the reason it gave none.
#pragma once
#include <string>
#include <vector>

#include "service/check_summary.h"

// The file's text, CR LF line ends; when is the check's time as the log shows it.
std::string FormatCheckDetail(const std::string& when, const std::string& reference,
                              const std::vector<MachineResult>& machines, const SummaryRecord& record);
// A variance as "+12.345 ms".
std::string FormatVariance(int64_t hundredNanoseconds);
// The text with '&', '<' and '>' written as HTML entities, for a mail body.
std::string EscapeHtml(const std::string& text);
