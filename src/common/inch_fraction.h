#pragma once
// Lengths in inches as a machinist reads them off a rule: whole inches and the rest in
// 128ths, reduced ("1 3/16", "5/64", "2"). List labels of the parallels and the dowel pin
// windows use it.

#include <string>

namespace kvt {

std::string inchFraction(double millimetres);

} // namespace kvt
