#include "core/viewer_state.h"

int viewMode = 10;
bool animating = 1;
int lightingOn = 1;

bool showHelp = false;
bool showNames = false;
bool showOrbits = false;
int timeRateExponent = 0;
bool timeBackwards = false;

float heading = 0.0f;
float turnStep = 0.125f;
float moveStep = 0.525f;
float eyeX = 0.0f;
float eyeZ = 0.0f;
float centerX = 0.0f;
float centerZ = 0.0f;

float viewRotX = 0.0f;
float viewRotY = 0.0f;
int mouseButton = 0;
int mouseState = -1;
int mouseLastX = 0;
int mouseLastY = 0;

float mercuryOrbit = 0.0f;
float venusOrbit = 0.0f;
float earthOrbit = 0.0f;
float moonOrbit = 0.0f;
float marsOrbit = 0.0f;
float jupiterOrbit = 0.0f;
float saturnOrbit = 0.0f;
float uranusOrbit = 0.0f;
float neptuneOrbit = 0.0f;
float plutoOrbit = 0.0f;
float sunSpin = 0.0f;
float mercurySpin = 0.0f;
float venusSpin = 0.0f;
float earthSpin = 0.0f;
float marsSpin = 0.0f;
float jupiterSpin = 0.0f;
float saturnSpin = 0.0f;
float uranusSpin = 0.0f;
float neptuneSpin = 0.0f;
float plutoSpin = 0.0f;
float ballSpin = 0.0f;
float bandSpin = 0.0f;

float skyHalfSize = 30.0f;

bool dateMode = false;
double dateInstant = 0.0;
SkyPosition datePositions[SKY_BODY_COUNT] = {};
