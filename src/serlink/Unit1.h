#pragma once
// The programmer window: port settings, the operation buttons, the status
// line and the progress bar. It owns the serial port and the exchange; the
// entry points create one for a single call and run it modally.

#include "programmer/Comm32.h"
#include "programmer/ProgSession.h"
#include "programmer/Prog_un.h"
#include "serlink/SerlinkEnv.h"

#include <QDialog>

#include <cstdint>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tralcon {

class TvxSpinEdit;

// Help context numbers of the window and its controls.
inline constexpr int hcProgrammer = 30000;
inline constexpr int hcPort = 30004;
inline constexpr int hcBaudRate = 30005;
inline constexpr int hcNinthBit = 30006;
inline constexpr int hcStatus = 30007;
inline constexpr int hcProgress = 30008;

inline constexpr int kDefaultBaudRate = 10417;

// Controls carry their help number in this property, as in the configurator.
inline constexpr const char* kHelpContextProperty = "helpContext";

class TForm1 : public QDialog, private IProgrammerClock {
    Q_OBJECT
  public:
    // settingsPath: the "NVT-3.ini" whose "Programmator" section the window
    // reads and writes.
    explicit TForm1(std::string settingsPath, QWidget* parent = nullptr);
    ~TForm1() override;

    // The ports that open, the settings' named devices first.
    void FillPortList();
    // For writing: copies at most 2048 bytes, shows "Программировать" and,
    // when the data was cut, says so in the status line.
    void PrepareExport(const std::uint8_t* data, std::int32_t length);
    // For reading the whole flash into buffer (2048 bytes): shows "Читать".
    void PrepareImport(std::uint8_t* buffer);
    // A scripted run (see SerlinkEnv.h); call before the window is shown.
    void SetAutomation(const serlink::TAutomation& automation);

    // 0 done, 3 not done, 4 the port did not open.
    int ResultCode() const { return FProgrammer.ResultCode(); }
    int BlockCount() const { return FProgrammer.BlockCount(); }
    const TProgrammer& Programmer() const { return FProgrammer; }
    bool ServiceUnlocked() const { return FServiceUnlocked; }

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QComboBox* ComboBox1;
    QLabel* Label2;
    TvxSpinEdit* vxIntEdit1;
    QLabel* Label3;
    QComboBox* ComboBox2;
    QLabel* Label4;
    QProgressBar* ProgressBar1;
    QPushButton* Button1;
    QPushButton* Button4;
    QPushButton* Button2;
    QPushButton* Button6;
    QPushButton* Button5;
    QPushButton* Button3;
    QTimer* Timer1;
    TComm32 MyComm32;

  public slots:
    void FormActivate();
    void ComboBox1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Timer1Timer();

  public:
    void MyComm32ReceiveData(const std::uint8_t* Buffer, std::uint16_t BufferLength);

    // "Выйти" for Escape, and every way of closing stops the exchange and
    // keeps the settings.
    void reject() override;
    void done(int r) override;

  protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    // IProgrammerClock: Timer1 is the no-answer timer.
    std::tm LocalNow() override;
    void StartTimer(TProgTimer timer, std::chrono::milliseconds delay) override;
    void StopTimer(TProgTimer timer) override;
    void Pause(std::chrono::milliseconds delay) override;

    void CreateControls();
    void StartOperation(TExchangeMode mode);
    void ApplyPortSettings();
    void WriteSettings();
    // Ctrl+Alt+Shift+J: the hidden service settings.
    bool FormKeyDown(const QKeyEvent* e);
    void RunningChanged(bool running);
    void RunAutomation();

    std::string FSettingsPath;
    TCommLink FLink;
    TProgrammer FProgrammer;
    QTimer* FEndDelay;
    bool FActivated = false;
    bool FServiceUnlocked = false;
    bool FHasImage = false;
    bool FClosing = false;
    QString FChosenPort; // the port field's text as last taken or chosen
    serlink::TAutomation FAutomation;
};

} // namespace tralcon
