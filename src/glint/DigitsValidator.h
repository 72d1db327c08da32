// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QValidator>

namespace zephyl::glint {

/// Lets a line edit take only the digits 0 to 9, up to `maxDigits` of them (0: any number).
/// Written out rather than as a regular expression: the expression engine compiles every
/// pattern to machine code in memory of its own, a cost out of all proportion to the check.
class DigitsValidator : public QValidator {
public:
    explicit DigitsValidator(int maxDigits, QObject* parent = nullptr)
        : QValidator(parent), m_maxDigits(maxDigits) {}

    State validate(QString& input, int& position) const override;

private:
    int m_maxDigits;
};

}  // namespace zephyl::glint
