#pragma once
// The pictures of the main window's image lists, drawn by the program: the
// 24×24 action images and the 32×24 direction images.

#include <QIcon>
#include <QPixmap>

namespace tralcon {

// Action images by index: 0 new, 1 open, 2 save, 3 save as, 5 add,
// 6 delete, 7 help, 8 exit, 9 flash, 10 scheme, 11 about, 12 passport.
enum TActionImage {
    aiNew = 0,
    aiOpen = 1,
    aiSave = 2,
    aiSaveAs = 3,
    aiAdd = 5,
    aiDelete = 6,
    aiHelp = 7,
    aiExit = 8,
    aiFlash = 9,
    aiScheme = 10,
    aiAbout = 11,
    aiPassport = 12,
};

QIcon ActionIcon(int index);

// Direction images by index: 3 to 9 the output slots (red, yellow, green,
// tram left, straight, right, bottom), 17 + kind the signal kinds 0 to 9,
// 27 a controller that cannot be deleted, 28 a universal output.
QPixmap TrendImage(int index);

// The same picture moved to the right end of its 27 visible pixels, for the
// trees, which show it 27 pixels before a cell's right edge.
QPixmap TreeImage(int index);

// The middle 24×24 of a direction image as a menu icon: menus show square
// images, and the pictures keep their content there.
QIcon TrendMenuIcon(int index);

// The 24×24 images of the add-direction menu: 2 vehicle, 3 pedestrian,
// 4 pedestrian with green blinking, 5 arrow, 6 tram, 7 arrow with green
// blinking (0 and 1 are blank).
QPixmap PopupTrendImage(int index);
QIcon PopupTrendIcon(int index);

// The 16×16 plan images: 1 referenced (an anchor), 2 conflict marker,
// 3 lights off ("ОС"), 4 yellow flashing ("ЖМ"), 5 cycle, 6 day plan,
// 7 week plan.
QPixmap AnchorImage(int index);

// The images of outputs in menus and trees: universal, red, yellow, green.
int OutputImageIndex(unsigned char modelOutputFlags);

} // namespace tralcon
