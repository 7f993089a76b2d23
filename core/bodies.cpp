// The table of bodies.  The values are the ones the menu, the fact boxes,
// the display, the texture set and the clock have always used; the menu's
// labels keep their own spelling ("Mecury").
#include "core/bodies.h"

#include "core/i18n.h"

// clang-format off
// Constant-initialised: the texture set reads it from a thread of its own
// at start-up, and nothing needs to run before it is there.
constinit const BodyRow bodyTable[BODY_ROW_COUNT] = {
    {
        .isBody = true,
        .menuValue = 1, .menuLabel = NC_("body menu", "Sun"), .viewMode = 0, .closeUp = CLOSE_UP_ALONE,
        .slot = SLOT_SUN, .skyBody = NO_SKY_BODY,
        .name = N_("Sun"),
        .factCaption = N_("태양"),
        .factText = N_("반지름(Km) : 695,500\n질량(10*24승 Kg) : 1,989,000\n밀도(g/cm3) : 1.41\n"
                       "중력(지구=1) : 28\n자전주기 : 25.4일\n공전주기 : -"),
        .picture = "image\\Sun.bmp", .listPicture = ".\\Image\\Sun.bmp",
        .mapCredit = N_("Celestia (GPL-2+)"),
        .orbit = nullptr, .orbitRate = 0.0, .spin = &sunSpin, .spinRate = 0.04,
        .centre = NO_BODY, .distance = 0.0f, .radius = 3.0f, .slices = 30, .ring = false, .orbitLine = false,
    },
    {
        .isBody = true,
        .menuValue = 2, .menuLabel = NC_("body menu", "Mecury"), .viewMode = 1, .closeUp = CLOSE_UP_ALONE,
        .slot = SLOT_MERCURY, .skyBody = SKY_MERCURY,
        .name = N_("Mercury"),
        .factCaption = N_("수성"),
        .factText = N_("반지름(Km) : 2439.7\n질량(10*24승 Kg) : 0.330\n밀도(g/cm3) : 5.43\n"
                       "중력(지구=1) : 0.38\n자전주기 : 58.6일\n공전주기 : 88.0일"),
        .picture = "image\\Mercury.bmp", .listPicture = ".\\Image\\Mercury.bmp",
        .mapCredit = N_("Oleg Pluton a.k.a. Helleformer (CC BY 4.0)"),
        .orbit = &mercuryOrbit, .orbitRate = 0.9, .spin = &mercurySpin, .spinRate = 0.0172,
        .centre = BODY_SUN, .distance = 4.5f, .radius = 0.62f, .slices = 30, .ring = false, .orbitLine = true,
    },
    {
        .isBody = true,
        .menuValue = 3, .menuLabel = NC_("body menu", "Venus"), .viewMode = 2, .closeUp = CLOSE_UP_ALONE,
        .slot = SLOT_VENUS, .skyBody = SKY_VENUS,
        .name = N_("Venus"),
        .factCaption = N_("금성"),
        .factText = N_("반지름(Km) : 6051.8\n질량(10*24승 Kg) : 4.87\n밀도(g/cm3) : 5.24\n"
                       "중력(지구=1) : 0.91\n자전주기 : 243일\n공전주기 : 224.7일"),
        .picture = "image\\Venus.bmp", .listPicture = ".\\Image\\Venus.bmp",
        .mapCredit = N_("Oleg Pluton a.k.a. Helleformer (CC BY 4.0)"),
        .orbit = &venusOrbit, .orbitRate = 0.7, .spin = &venusSpin, .spinRate = 0.004,
        .centre = BODY_SUN, .distance = -6.4f, .radius = 0.9f, .slices = 30, .ring = false, .orbitLine = true,
    },
    {
        .isBody = true,
        .menuValue = 4, .menuLabel = NC_("body menu", "Earth"), .viewMode = 3, .closeUp = CLOSE_UP_WITH_MOON,
        .slot = SLOT_EARTH, .skyBody = SKY_EARTH,
        .name = N_("Earth"),
        .factCaption = N_("지구"),
        .factText = N_("반지름(Km) : 6378.1\n질량(10*24승 Kg) : 5.97\n밀도(g/cm3) : 5.52\n"
                       "중력(지구=1) : 1.00\n자전주기 : 23.93시간\n공전주기 : 365.24일"),
        .picture = "image\\earth.bmp", .listPicture = ".\\Image\\earth.bmp",
        .mapCredit = N_("NASA, Visible Earth (NASA imagery, not copyrighted)"),
        .orbit = &earthOrbit, .orbitRate = 0.5, .spin = &earthSpin, .spinRate = 1.0,
        .centre = BODY_SUN, .distance = 9.6f, .radius = 0.8f, .slices = 30, .ring = false, .orbitLine = true,
    },
    {
        // The Moon: in the overview and the Earth's close-up, but with no
        // menu entry, no close-up and no fact box of its own.
        .isBody = true,
        .menuValue = NO_MENU_ENTRY, .menuLabel = nullptr, .viewMode = NO_VIEW_MODE, .closeUp = NO_CLOSE_UP,
        .slot = SLOT_MOON, .skyBody = SKY_MOON,
        .name = N_("Moon"),
        .factCaption = nullptr,
        .factText = nullptr,
        .picture = "image\\Moon.bmp", .listPicture = ".\\Image\\Moon.bmp",
        .mapCredit = N_("USGS Astrogeology Research Program; Celestia, from Clementine data (public domain)"),
        .orbit = &moonOrbit, .orbitRate = 0.75, .spin = nullptr, .spinRate = 0.0,
        .centre = BODY_EARTH, .distance = 1.5f, .radius = 0.27, .slices = 30, .ring = false, .orbitLine = true,
    },
    {
        .isBody = true,
        .menuValue = 5, .menuLabel = NC_("body menu", "Mars"), .viewMode = 4, .closeUp = CLOSE_UP_ALONE,
        .slot = SLOT_MARS, .skyBody = SKY_MARS,
        .name = N_("Mars"),
        .factCaption = N_("화성"),
        .factText = N_("반지름(Km) : 3397\n질량(10*24승 Kg) : 0.642\n밀도(g/cm3) : 3.93\n"
                       "중력(지구=1) : 0.38\n자전주기 : 24.62시간\n공전주기 : 1.88년"),
        .picture = "image\\Mars.bmp", .listPicture = ".\\Image\\Mars.bmp",
        .mapCredit = N_("David Seal, NASA/JPL (Courtesy NASA/JPL-Caltech)"),
        .orbit = &marsOrbit, .orbitRate = 0.625, .spin = &marsSpin, .spinRate = 1.1,
        .centre = BODY_SUN, .distance = -12.3f, .radius = 0.64f, .slices = 30, .ring = false, .orbitLine = true,
    },
    {
        .isBody = true,
        .menuValue = 6, .menuLabel = NC_("body menu", "Jupiter"), .viewMode = 5, .closeUp = CLOSE_UP_ALONE,
        .slot = SLOT_JUPITER, .skyBody = SKY_JUPITER,
        .name = N_("Jupiter"),
        .factCaption = N_("목성"),
        .factText = N_("반지름(Km) : 71492\n질량(10*24승 Kg) : 1899\n밀도(g/cm3) : 1.33\n"
                       "중력(지구=1) : 2.14\n자전주기 : 9.93시간\n공전주기 : 11.86년"),
        .picture = "image\\Jupiter.bmp", .listPicture = ".\\Image\\Jupiter.bmp",
        .mapCredit = N_("James Hastings-Trew, from Cassini data (free to use as source material)"),
        .orbit = &jupiterOrbit, .orbitRate = 0.65, .spin = &jupiterSpin, .spinRate = 2.4,
        .centre = BODY_SUN, .distance = 15.2f, .radius = 1.5f, .slices = 30, .ring = false, .orbitLine = true,
    },
    {
        .isBody = true,
        .menuValue = 7, .menuLabel = NC_("body menu", "Saturn"), .viewMode = 6, .closeUp = CLOSE_UP_WITH_RING,
        .slot = SLOT_SATURN, .skyBody = SKY_SATURN,
        .name = N_("Saturn"),
        .factCaption = N_("토성"),
        .factText = N_("반지름(Km) : 60268\n질량(10*24승 Kg) : 568\n밀도(g/cm3) : 0.69\n"
                       "중력(지구=1) : 0.74\n자전주기 : 10.7시간\n공전주기 : 29.4년"),
        .picture = "image\\saturn.bmp", .listPicture = ".\\Image\\Saturn.bmp",
        .mapCredit = N_("Oleg Pluton a.k.a. Helleformer (CC BY 4.0)"),
        .orbit = &saturnOrbit, .orbitRate = 0.6, .spin = &saturnSpin, .spinRate = 2.24,
        .centre = BODY_SUN, .distance = -19.6f, .radius = 1.3f, .slices = 30, .ring = true, .orbitLine = true,
    },
    {
        .isBody = true,
        .menuValue = 8, .menuLabel = NC_("body menu", "Uranus"), .viewMode = 7, .closeUp = CLOSE_UP_ALONE,
        .slot = SLOT_URANUS, .skyBody = SKY_URANUS,
        .name = N_("Uranus"),
        .factCaption = N_("천왕성"),
        .factText = N_("반지름(Km) : 25559\n질량(10*24승 Kg) : 86.8\n밀도(g/cm3) : 1.27\n"
                       "중력(지구=1) : 0.86\n자전주기 : 17.2시간\n공전주기 : 84.0년"),
        .picture = "image\\Uranus.bmp", .listPicture = ".\\Image\\Uranus.bmp",
        .mapCredit = N_("Oleg Pluton a.k.a. Helleformer (CC BY 4.0)"),
        .orbit = &uranusOrbit, .orbitRate = 0.55, .spin = &uranusSpin, .spinRate = 1.38,
        .centre = BODY_SUN, .distance = 22.2f, .radius = 1.1f, .slices = 30, .ring = false, .orbitLine = true,
    },
    {
        .isBody = true,
        .menuValue = 9, .menuLabel = NC_("body menu", "Neptune"), .viewMode = 8, .closeUp = CLOSE_UP_ALONE,
        .slot = SLOT_NEPTUNE, .skyBody = SKY_NEPTUNE,
        .name = N_("Neptune"),
        .factCaption = N_("해왕성"),
        .factText = N_("반지름(Km) : 24764\n질량(10*24승 Kg) : 102\n밀도(g/cm3) : 1.64\n"
                       "중력(지구=1) : 1.10\n자전주기 : 16.1시간\n공전주기 : 164.8년"),
        .picture = "image\\Neptune.bmp", .listPicture = ".\\Image\\Neptune.bmp",
        .mapCredit = N_("Oleg Pluton a.k.a. Helleformer (CC BY 4.0)"),
        .orbit = &neptuneOrbit, .orbitRate = 0.45, .spin = &neptuneSpin, .spinRate = 1.48,
        .centre = BODY_SUN, .distance = -25.4f, .radius = 1.0f, .slices = 30, .ring = false, .orbitLine = true,
    },
    {
        .isBody = true,
        .menuValue = 10, .menuLabel = NC_("body menu", "Pluto"), .viewMode = 9, .closeUp = CLOSE_UP_ALONE,
        .slot = SLOT_PLUTO, .skyBody = SKY_PLUTO,
        .name = N_("Pluto"),
        .factCaption = N_("명왕성"),
        .factText = N_("반지름(Km) : 1151\n질량(10*24승 Kg) : 0.013\n밀도(g/cm3) : 2.0\n"
                       "중력(지구=1) : 0.08\n자전주기 : 6.4일\n공전주기 : 247.9년"),
        .picture = "image\\Pluto.bmp", .listPicture = ".\\Image\\pluto.bmp",
        .mapCredit = N_("Kexitt, post-processed by Oleg Pluton a.k.a. Helleformer (CC BY 4.0)"),
        .orbit = &plutoOrbit, .orbitRate = 0.4, .spin = &plutoSpin, .spinRate = 0.15,
        .centre = BODY_SUN, .distance = 28.6f, .radius = 0.9f, .slices = 30, .ring = false, .orbitLine = true,
    },
    {
        // Kosmara: no body, the menu's last entry; it shows the overview
        // and no box.
        .isBody = false,
        .menuValue = 11, .menuLabel = NC_("body menu", "Kosmara"), .viewMode = OVERVIEW_VIEW_MODE, .closeUp = NO_CLOSE_UP,
        .slot = NO_SLOT, .skyBody = NO_SKY_BODY,
        .name = nullptr,
        .factCaption = nullptr,
        .factText = nullptr,
        .picture = nullptr, .listPicture = nullptr, .mapCredit = nullptr,
        .orbit = nullptr, .orbitRate = 0.0, .spin = nullptr, .spinRate = 0.0,
        .centre = NO_BODY, .distance = 0.0f, .radius = 0.0, .slices = 0, .ring = false, .orbitLine = false,
    },
};
// clang-format on

namespace {

template <typename Match>
const BodyRow* findRow(Match match)
{
    for (const BodyRow& row : bodyTable)
        if (match(row))
            return &row;
    return nullptr;
}

}  // namespace

const BodyRow* bodyForMenuValue(int value)
{
    if (value == NO_MENU_ENTRY)
        return nullptr;
    return findRow([value](const BodyRow& row) { return row.menuValue == value; });
}

const BodyRow* bodyForViewMode(int mode)
{
    if (mode == NO_VIEW_MODE)
        return nullptr;
    return findRow([mode](const BodyRow& row) { return row.viewMode == mode; });
}

const BodyRow* bodyForSlot(int slot)
{
    if (slot == NO_SLOT)
        return nullptr;
    return findRow([slot](const BodyRow& row) { return row.slot == slot; });
}

const BodyRow* bodyForSkyBody(int skyBody)
{
    if (skyBody == NO_SKY_BODY)
        return nullptr;
    return findRow([skyBody](const BodyRow& row) { return row.skyBody == skyBody; });
}

const BodyRow* companionOf(int body)
{
    if (body == NO_BODY)
        return nullptr;
    return findRow([body](const BodyRow& row) { return row.isBody && row.centre == body; });
}
