#pragma once

#include <QIcon>

namespace tralcon {

enum class TSchemeButton {
    HideEditor,
    ShowEditor,
    LoadPicture,
    ClearPicture,
    PlusCurve,
    MinusCurve,
    Close
};

QIcon SchemeButtonIcon(TSchemeButton button);

} // namespace tralcon
