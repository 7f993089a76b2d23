// The body menu: a close-up of the chosen body and a box with its facts.
#include <GL/glut.h>

#include "app/viewer.h"
#include "app/viewer_state.h"
#include "platform/i18n.h"
#include "platform/message_box.h"

const BodyFacts bodyFacts[BODY_COUNT] = {
    {"태양", "반지름(Km) : 695,500\n질량(10*24승 Kg) : 1,989,000\n밀도(g/cm3) : 1.41\n"
             "중력(지구=1) : 28\n자전주기 : 25.4일\n공전주기 : -"},
    {"수성", "반지름(Km) : 2439.7\n질량(10*24승 Kg) : 0.330\n밀도(g/cm3) : 5.43\n"
             "중력(지구=1) : 0.38\n자전주기 : 58.6일\n공전주기 : 88.0일"},
    {"금성", "반지름(Km) : 6051.8\n질량(10*24승 Kg) : 4.87\n밀도(g/cm3) : 5.24\n"
             "중력(지구=1) : 0.91\n자전주기 : 243일\n공전주기 : 224.7일"},
    {"지구", "반지름(Km) : 6378.1\n질량(10*24승 Kg) : 5.97\n밀도(g/cm3) : 5.52\n"
             "중력(지구=1) : 1.00\n자전주기 : 23.93시간\n공전주기 : 365.24일"},
    {"화성", "반지름(Km) : 3397\n질량(10*24승 Kg) : 0.642\n밀도(g/cm3) : 3.93\n"
             "중력(지구=1) : 0.38\n자전주기 : 24.62시간\n공전주기 : 1.88년"},
    {"목성", "반지름(Km) : 71492\n질량(10*24승 Kg) : 1899\n밀도(g/cm3) : 1.33\n"
             "중력(지구=1) : 2.14\n자전주기 : 9.93시간\n공전주기 : 11.86년"},
    {"토성", "반지름(Km) : 60268\n질량(10*24승 Kg) : 568\n밀도(g/cm3) : 0.69\n"
             "중력(지구=1) : 0.74\n자전주기 : 10.7시간\n공전주기 : 29.4년"},
    {"천왕성", "반지름(Km) : 25559\n질량(10*24승 Kg) : 86.8\n밀도(g/cm3) : 1.27\n"
               "중력(지구=1) : 0.86\n자전주기 : 17.2시간\n공전주기 : 84.0년"},
    {"해왕성", "반지름(Km) : 24764\n질량(10*24승 Kg) : 102\n밀도(g/cm3) : 1.64\n"
               "중력(지구=1) : 1.10\n자전주기 : 16.1시간\n공전주기 : 164.8년"},
    {"명왕성", "반지름(Km) : 1151\n질량(10*24승 Kg) : 0.013\n밀도(g/cm3) : 2.0\n"
               "중력(지구=1) : 0.08\n자전주기 : 6.4일\n공전주기 : 247.9년"},
};

void selectBody(int value)
{
    if (value >= 1 && value <= BODY_COUNT) {
        // Stored first, so frames drawn while the box is open show the body.
        viewMode = value - 1;
        const BodyFacts& facts = bodyFacts[value - 1];
        showMessageBox(tr(facts.caption), tr(facts.text));
    } else if (value == BODY_COUNT + 1) {
        viewMode = 10;
    } else {
        return;  // not an entry of the menu
    }
    glutPostRedisplay();
}
