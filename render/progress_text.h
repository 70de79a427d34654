// The percentage text shown beside the conversion's progress bar.
#pragma once

#include <string>

// The text for bar position `position` in the range [lower, upper]: the
// truncated percentage, wrapped to 0..99 past 100 % (100 itself stays), 100
// for an empty range or a position below the range, followed by "%".
std::string ProgressPercentText(int position, int lower, int upper);
