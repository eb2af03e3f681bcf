// SPDX-License-Identifier: GPL-3.0-or-later
#include "HintStyle.h"

namespace trasvex {

int HintStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const {
  if (hint == SH_ToolTip_WakeUpDelay)
    return 500;
  return QProxyStyle::styleHint(hint, option, widget, returnData);
}

}  // namespace trasvex
