#include "app/date_view.h"

bool dateMode = false;
double dateInstant = 0.0;
SkyPosition datePositions[SKY_BODY_COUNT] = {};
