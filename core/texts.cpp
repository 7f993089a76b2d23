#include "core/texts.h"

#include <cstdio>

#include "core/controls.h"
#include "core/date_mode.h"
#include "core/i18n.h"
#include "core/viewer_state.h"

std::string helpTitle() { return tr("Controls"); }

std::vector<std::pair<std::string, std::string>> helpRows()
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 0; i < CONTROL_COUNT; ++i)
        rows.emplace_back(tr(controls[i].input), tr(controls[i].help));
    return rows;
}

std::string creditsTitle() { return tr("Map credits"); }

std::vector<std::pair<std::string, std::string>> creditLines()
{
    std::vector<std::pair<std::string, std::string>> lines;
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
        const BodyRow* body = bodyForSlot(slot);
        if (body && body->mapCredit && *body->mapCredit)
            lines.emplace_back(tr(body->name), tr(body->mapCredit));
    }
    return lines;
}

std::string statusLine()
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

const char* bodyNameText(const BodyRow& body) { return body.name ? tr(body.name) : ""; }

const char* menuLabel(const BodyRow& body) { return trContext("body menu", body.menuLabel); }

const char* factCaption(const BodyRow& body) { return body.factCaption ? tr(body.factCaption) : nullptr; }

const char* factText(const BodyRow& body) { return body.factCaption ? tr(body.factText) : nullptr; }
