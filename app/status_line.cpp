// The status line: the rate of time, or date mode's instant.
#include "app/status_line.h"

#include <cstdio>

#include "app/date_mode.h"
#include "core/i18n.h"
#include "core/viewer_state.h"

std::string statusText()
{
    if (dateMode)
        return dateStatusText();
    if (timeRateExponent == 0 && !timeBackwards)
        return "";
    char rate[16];
    if (timeRateExponent >= 0)
        std::snprintf(rate, sizeof rate, "%d×", 1 << timeRateExponent);
    else
        std::snprintf(rate, sizeof rate, "1/%d×", 1 << -timeRateExponent);
    return std::string(tr("Time")) + " " + rate + ", " + tr(timeBackwards ? "backwards" : "forwards");
}
