#pragma once
// Locale-independent float texts of the text form.

#include <cstdint>
#include <string>

// vaExtended / vaDouble: 16 significant digits shown with exactly 18 decimals ("0.500000000000000000").
// Magnitudes with more than 16 integer digits, and tiny values whose significant digits would
// fall beyond the 18th decimal, use exponent notation ("1.234567890123457E+20").
void AppendFixedFloat(std::string& out, double value);
// vaSingle / vaDate: the shortest decimal that reads back to the same value.
void AppendShortestFloat(std::string& out, double value);
void AppendShortestFloat(std::string& out, float value);
// vaCurrency: the scaled integer as a decimal with up to four fraction digits ("12.5").
void AppendCurrency(std::string& out, int64_t scaled);
