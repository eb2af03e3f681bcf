// SPDX-License-Identifier: GPL-3.0-or-later
// The application's style with the hint timing of the tool-bar buttons:
// a tooltip appears after the pointer rests for half a second.
#pragma once

#include <QProxyStyle>

namespace trasvex {

class HintStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override;
};

}  // namespace trasvex
