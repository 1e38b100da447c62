#pragma once
// Help by context number. Every control carries a number, or inherits its
// nearest parent's; without the help file nothing happens.

#include <string>

class QWidget;

namespace tralcon {

inline constexpr const char* kHelpFileName = "NVT-3.chm";

void SetHelpContext(QWidget* w, int context);
// The control's own number, else its nearest parent's, else 0.
int HelpContextOf(const QWidget* w);

class THelp {
  public:
    explicit THelp(std::string programDir);
    bool Available() const;
    // The topic with the number; false when there is no help file.
    bool ShowContext(int context) const;
    // The help file's default topic.
    bool ShowDefault() const;
    std::string FilePath() const;

  private:
    std::string FProgramDir;
};

} // namespace tralcon
