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
// A check's verdict in words: "ALERT: ...", "UNKNOWN: <what was not measured>" or that all tests passed.
std::string CheckHeadline(const SummaryRecord& record);
// Whether a stored check raises the alert actions: a failed test, or anything left unmeasured.
bool CheckRaisesAlert(const SummaryRecord& record);
// The machines that gave no sample and why ("c2: <error>; ..."), the first five named; empty when all answered.
std::string UnansweredReasons(const std::vector<MachineResult>& machines);
// A variance as "+12.345 ms".
std::string FormatVariance(int64_t hundredNanoseconds);
// The text with '&', '<' and '>' written as HTML entities, for a mail body.
std::string EscapeHtml(const std::string& text);
