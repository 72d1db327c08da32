// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/DigitsValidator.h"

#include <algorithm>

namespace zephyl::glint {

QValidator::State DigitsValidator::validate(QString& input, int& /*position*/) const {
    if (m_maxDigits > 0 && input.size() > m_maxDigits) {
        return Invalid;
    }
    const bool digitsOnly = std::all_of(input.cbegin(), input.cend(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    return digitsOnly ? Acceptable : Invalid;
}

}  // namespace zephyl::glint
