#include "serlink/Unit1.h"

#include "platform/AppPaths.h"
#include "platform/FileIO.h"
#include "platform/IniFile.h"
#include "widgets/vxEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <ctime>

namespace tralcon {

namespace {

const char* const kCaption = "Программатор НВТ-3М";
const char* const kReady = "Готов к программированию";
const char* const kTooLong = "Размер данных слишком велик!";

const char* const kComPortKey = "ComPort";
const char* const kBaudRateKey = "BaudRate";
const char* const kParityKey = "Parity";

// The ninth-bit choices, in the order of the list.
const TParity kNinthBit[] = {pNone, pEven, pOdd, pSpace, pMark};
const char* const kNinthBitNames[] = {"нет", "четность", "нечетность", "всегда 0", "всегда 1"};

// Rates a UART can be asked for; the edit clamps what the settings say.
constexpr int kMinBaudRate = 50;
constexpr int kMaxBaudRate = 4000000;

constexpr QSize kClientSize(322, 208);

void SetHelpContext(QWidget* w, int context) {
    w->setProperty(kHelpContextProperty, context);
}

} // namespace

TForm1::TForm1(std::string settingsPath, QWidget* parent)
    : QDialog(parent), FSettingsPath(std::move(settingsPath)), FLink(MyComm32),
      FProgrammer(FLink, *this) {
    CreateControls();

    // Chunks and line events arrive on the I/O threads; they are handled on
    // this window's thread, in order.
    MyComm32.SetFlowControl(fcNone);
    MyComm32.SetEventChar('\0');
    MyComm32.OnMessagesPosted = [this] {
        QMetaObject::invokeMethod(
            this, [this] { MyComm32.ProcessMessages(); }, Qt::QueuedConnection);
    };
    MyComm32.OnReceiveData = [this](const std::uint8_t* buffer, std::uint16_t length) {
        MyComm32ReceiveData(buffer, length);
    };

    // The controller's clock is shown as the command-line tool prints it,
    // with the Russian date and day name, whatever the desktop's locale: a
    // locale's month names would mix languages in one line.
    FProgrammer.OnStatus = [this](const std::string& text) {
        Label4->setText(QString::fromStdString(text));
    };
    FProgrammer.OnProgress = [this](int position, int maximum) {
        // A maximum of 0 would turn the bar into a busy indicator.
        ProgressBar1->setMaximum(std::max(maximum, 1));
        ProgressBar1->setValue(position);
    };
    FProgrammer.OnRunningChanged = [this](bool running) { RunningChanged(running); };
}

TForm1::~TForm1() {
    // The dialog hides itself as it goes, and the port field then reports
    // its editing finished: by then this form is gone, so it must not hear.
    ComboBox1->lineEdit()->disconnect(this);
    // The I/O threads post to this object: they end before it goes.
    FProgrammer.OnRunningChanged = nullptr;
    MyComm32.ClosePort();
}

void TForm1::CreateControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetHelpContext(this, hcProgrammer);
    setProperty("helpKeyword", QStringLiteral("Программатор"));

    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };

    GroupBox1 = new QGroupBox(QStringLiteral("Настройки COM-порта"), this);
    named(GroupBox1, "GroupBox1");
    Label1 = new QLabel(QStringLiteral("Порт"), GroupBox1);
    named(Label1, "Label1");
    ComboBox1 = new QComboBox(GroupBox1);
    named(ComboBox1, "ComboBox1");
    SetHelpContext(ComboBox1, hcPort);
    // Device paths are longer than "COM1": room for "/dev/ttyUSB0". Any
    // other device (a pseudo-terminal, an adapter under its own name) can be
    // typed in.
    ComboBox1->setMinimumContentsLength(11);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    Label2 = new QLabel(QStringLiteral("Скорость"), GroupBox1);
    named(Label2, "Label2");
    vxIntEdit1 = new TvxSpinEdit(GroupBox1);
    named(vxIntEdit1, "vxIntEdit1");
    vxIntEdit1->SetMinValue(kMinBaudRate);
    vxIntEdit1->SetMaxValue(kMaxBaudRate);
    vxIntEdit1->SetValue(kDefaultBaudRate);
    SetHelpContext(vxIntEdit1, hcBaudRate);
    Label3 = new QLabel(QStringLiteral("Девятый бит"), GroupBox1);
    named(Label3, "Label3");
    ComboBox2 = new QComboBox(GroupBox1);
    named(ComboBox2, "ComboBox2");
    for (const char* name : kNinthBitNames)
        ComboBox2->addItem(QString::fromUtf8(name));
    ComboBox2->setCurrentIndex(0);
    SetHelpContext(ComboBox2, hcNinthBit);
    // The speed and the ninth bit are service settings.
    Label2->setEnabled(false);
    vxIntEdit1->setEnabled(false);
    Label3->setEnabled(false);
    ComboBox2->setEnabled(false);
    Label1->setBuddy(ComboBox1);

    Label4 = new QLabel(QString::fromUtf8(kReady), this);
    named(Label4, "Label4");
    // The controller's clock is longer than the column: it wraps onto a
    // second line instead of being cut off.
    Label4->setWordWrap(true);
    Label4->setMinimumHeight(2 * Label4->fontMetrics().lineSpacing());
    SetHelpContext(Label4, hcStatus);
    ProgressBar1 = new QProgressBar(this);
    named(ProgressBar1, "ProgressBar1");
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    SetHelpContext(ProgressBar1, hcProgress);

    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    Button1 = button("Button1", "Программировать");
    Button4 = button("Button4", "Читать");
    Button2 = button("Button2", "Остановить");
    Button6 = button("Button6", "Считать время");
    Button5 = button("Button5", "Синхр. время");
    Button3 = button("Button3", "Выйти");
    // Both are the default button in their turn: the one shown is.
    Button1->setDefault(true);
    Button2->setEnabled(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(int(NoAnswerTimeout.count()));
    Timer1->setSingleShot(true);
    FEndDelay = new QTimer(this);
    FEndDelay->setSingleShot(true);

    auto* settings = new QGridLayout(GroupBox1);
    settings->setContentsMargins(8, 6, 8, 8);
    settings->setHorizontalSpacing(8);
    settings->setVerticalSpacing(6);
    settings->addWidget(Label1, 0, 0);
    settings->addWidget(ComboBox1, 0, 1);
    settings->addWidget(Label2, 1, 0);
    settings->addWidget(vxIntEdit1, 1, 1);
    settings->addWidget(Label3, 2, 0);
    settings->addWidget(ComboBox2, 2, 1);
    settings->setColumnStretch(1, 1);

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(GroupBox1);
    left->addStretch(1);
    left->addWidget(Label4);
    left->addWidget(ProgressBar1);

    auto* right = new QGridLayout;
    right->setVerticalSpacing(6);
    // "Читать" takes the place of "Программировать"; one of them is hidden.
    right->addWidget(Button1, 0, 0);
    right->addWidget(Button4, 0, 0);
    right->addWidget(Button2, 1, 0);
    right->addWidget(Button6, 2, 0);
    right->addWidget(Button5, 3, 0);
    right->setRowStretch(4, 1);
    right->addWidget(Button3, 5, 0);

    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(8, 8, 8, 8);
    top->setSpacing(10);
    top->addLayout(left, 1);
    top->addLayout(right, 0);

    // One width for the column, whichever of the first two is shown.
    int buttonWidth = 0;
    for (QPushButton* b : {Button1, Button4, Button2, Button6, Button5, Button3})
        buttonWidth = std::max(buttonWidth, b->sizeHint().width());
    for (QPushButton* b : {Button1, Button4, Button2, Button6, Button5, Button3})
        b->setMinimumWidth(buttonWidth + 8);

    Button4->hide();
    setFixedSize(kClientSize.expandedTo(sizeHint()));

    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    // A typed device counts as chosen once the typing is done; leaving the
    // field without a change is no change.
    connect(ComboBox1->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (ComboBox1->currentText() != FChosenPort)
            ComboBox1Change();
    });
    connect(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connect(vxIntEdit1, &TvxSpinEdit::Change, this, &TForm1::ComboBox1Change);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(FEndDelay, &QTimer::timeout, this,
            [this] { FProgrammer.TimerFired(TProgTimer::EndDelay); });

    // The service unlock works wherever the focus is.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    ComboBox1->setFocus();
}

void TForm1::FillPortList() {
    ComboBox1->clear();
    TIniFile ini;
    std::string error;
    ini.Load(FSettingsPath, &error, true);
    const std::string named = ini.ReadString(serlink::kSettingsSection, serlink::kDevicesKey, "");
    for (const std::string& port : serlink::CandidatePorts(named)) {
        MyComm32.SetCommPort(port);
        try {
            if (MyComm32.OpenPort())
                ComboBox1->addItem(QString::fromStdString(port));
        } catch (const ECommsError&) {
            // Not a port that can be used now: not offered.
        }
        MyComm32.ClosePort();
    }
    if (ComboBox1->count() > 0)
        ComboBox1->setCurrentIndex(0);
}

void TForm1::PrepareExport(const std::uint8_t* data, std::int32_t length) {
    Button1->show();
    Button4->hide();
    Button1->setDefault(true);
    const std::size_t count = data != nullptr && length > 0 ? std::size_t(length) : 0;
    if (!FProgrammer.SetImage(data, count))
        Label4->setText(QString::fromUtf8(kTooLong));
    // With nothing to write there is nothing to start.
    FHasImage = FProgrammer.BlockCount() > 0;
    Button1->setEnabled(FHasImage);
}

void TForm1::PrepareImport(std::uint8_t* buffer) {
    Button4->show();
    Button1->hide();
    Button4->setDefault(true);
    FProgrammer.SetBlockCount(int(MaxBlockCount));
    FProgrammer.SetReadDestination(buffer, buffer != nullptr ? MaxImageSize : 0);
}

void TForm1::SetAutomation(const serlink::TAutomation& automation) {
    FAutomation = automation;
}

void TForm1::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (FActivated)
        return;
    FActivated = true;
    FormActivate();
    if (FAutomation.CloseAfter)
        QTimer::singleShot(*FAutomation.CloseAfter, this, &TForm1::Button3Click);
    if (FAutomation.Run != serlink::TAutoRun::None)
        QTimer::singleShot(0, this, &TForm1::RunAutomation);
}

void TForm1::FormActivate() {
    TIniFile ini;
    std::string error;
    ini.Load(FSettingsPath, &error, true);
    const char* section = serlink::kSettingsSection;
    const int port = ini.ReadInteger(section, kComPortKey, 0);
    const QString device =
        QString::fromStdString(ini.ReadString(section, serlink::kPortKey, "")).trimmed();
    const int baud = ini.ReadInteger(section, kBaudRateKey, kDefaultBaudRate);
    const int parity = ini.ReadInteger(section, kParityKey, 0);

    // Taking the stored values is not a change by the user: nothing is
    // stopped or written, and the status line keeps what the entry point
    // said (the size warning).
    const QSignalBlocker b1(ComboBox1), b2(vxIntEdit1), b3(ComboBox2);
    // The device by its path when the settings name one (a typed one that
    // did not open now stays in the field, to be tried again); else by its
    // position, where a position beyond the list selects nothing.
    if (!device.isEmpty()) {
        const int at = ComboBox1->findText(device);
        ComboBox1->setCurrentIndex(at);
        if (at < 0)
            ComboBox1->setEditText(device);
    } else {
        ComboBox1->setCurrentIndex(port >= 0 && port < ComboBox1->count() ? port : -1);
    }
    FChosenPort = ComboBox1->currentText();
    vxIntEdit1->SetValue(baud);
    ComboBox2->setCurrentIndex(parity >= 0 && parity < ComboBox2->count() ? parity : 0);
    ProgressBar1->setMaximum(std::max(FProgrammer.BlockCount(), 1));
    FProgrammer.ResetResultCode();
}

void TForm1::ComboBox1Change() {
    FChosenPort = ComboBox1->currentText();
    FProgrammer.StopExchange();
    Label4->setText(QString::fromUtf8(kReady));
    WriteSettings();
}

void TForm1::WriteSettings() {
    TIniFile ini;
    std::string error;
    // A file that exists but cannot be read is not overwritten.
    if (!ini.Load(FSettingsPath, &error, true))
        return;
    const char* section = serlink::kSettingsSection;
    ini.WriteInteger(section, kComPortKey, ComboBox1->currentIndex());
    ini.WriteString(section, serlink::kPortKey, ComboBox1->currentText().trimmed().toStdString());
    ini.WriteInteger(section, kBaudRateKey, vxIntEdit1->Value());
    ini.WriteInteger(section, kParityKey, ComboBox2->currentIndex());
    MakeDirs(DirName(FSettingsPath));
    ini.Save(FSettingsPath, &error);
}

void TForm1::ApplyPortSettings() {
    // What the field shows: a listed port or a typed device path.
    FLink.Port = ComboBox1->currentText().trimmed().toStdString();
    const int ninth = ComboBox2->currentIndex();
    FLink.Parity = ninth >= 0 && ninth < int(std::size(kNinthBit)) ? kNinthBit[ninth] : pNone;
    FLink.BaudRate = std::uint32_t(vxIntEdit1->Value());
}

void TForm1::StartOperation(TExchangeMode mode) {
    // One exchange at a time: a second start would reopen the open port and
    // break off the running exchange halfway (a half-programmed controller).
    if (FProgrammer.Running())
        return;
    ApplyPortSettings();
    FProgrammer.Start(mode);
}

void TForm1::Button1Click() {
    if (FHasImage)
        StartOperation(TExchangeMode::Program);
}

void TForm1::Button4Click() {
    StartOperation(TExchangeMode::Read);
}

void TForm1::Button5Click() {
    StartOperation(TExchangeMode::SetTime);
}

void TForm1::Button6Click() {
    StartOperation(TExchangeMode::ReadTime);
}

void TForm1::Button2Click() {
    FProgrammer.Stop();
}

void TForm1::Button3Click() {
    // Leaving: the exchange stopping now is no cue for the scripted run.
    FAutomation.Run = serlink::TAutoRun::None;
    FProgrammer.StopExchange();
    Button2Click();
    accept();
}

void TForm1::Timer1Timer() {
    FProgrammer.TimerFired(TProgTimer::NoAnswer);
}

void TForm1::MyComm32ReceiveData(const std::uint8_t* Buffer, std::uint16_t BufferLength) {
    FProgrammer.HandleReceived(Buffer, BufferLength);
}

void TForm1::RunningChanged(bool running) {
    Button1->setEnabled(!running && FHasImage);
    Button4->setEnabled(!running);
    Button5->setEnabled(!running);
    Button6->setEnabled(!running);
    Button2->setEnabled(running);
    if (!running && FAutomation.Run != serlink::TAutoRun::None && !FClosing && isVisible())
        QTimer::singleShot(0, this, &TForm1::Button3Click);
}

void TForm1::RunAutomation() {
    QPushButton* target = nullptr;
    switch (FAutomation.Run) {
    case serlink::TAutoRun::Program:
        target = Button1;
        break;
    case serlink::TAutoRun::Read:
        target = Button4;
        break;
    case serlink::TAutoRun::ReadTime:
        target = Button6;
        break;
    case serlink::TAutoRun::SetTime:
        target = Button5;
        break;
    case serlink::TAutoRun::None:
        return;
    }
    if (target->isVisible() && target->isEnabled())
        target->click();
    // Nothing started (no such button here, or the port did not open).
    if (!FProgrammer.Running())
        QTimer::singleShot(0, this, &TForm1::Button3Click);
}

void TForm1::reject() {
    Button3Click();
}

void TForm1::done(int r) {
    if (!FClosing) {
        FClosing = true;
        FProgrammer.StopExchange();
        WriteSettings();
    }
    QDialog::done(r);
}

bool TForm1::FormKeyDown(const QKeyEvent* e) {
    const auto mods = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier |
                                        Qt::MetaModifier);
    if (e->key() != Qt::Key_J ||
        mods != (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))
        return false;
    FServiceUnlocked = true;
    vxIntEdit1->setEnabled(true);
    ComboBox2->setEnabled(true);
    return true;
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(e)))
        return true;
    return QDialog::eventFilter(watched, e);
}

void TForm1::keyPressEvent(QKeyEvent* e) {
    if (!FormKeyDown(e))
        QDialog::keyPressEvent(e);
}

std::tm TForm1::LocalNow() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

void TForm1::StartTimer(TProgTimer timer, std::chrono::milliseconds delay) {
    QTimer* t = timer == TProgTimer::NoAnswer ? Timer1 : FEndDelay;
    t->start(int(delay.count()));
}

void TForm1::StopTimer(TProgTimer timer) {
    (timer == TProgTimer::NoAnswer ? Timer1 : FEndDelay)->stop();
}

void TForm1::Pause(std::chrono::milliseconds delay) {
    QThread::msleep(static_cast<unsigned long>(delay.count()));
}

} // namespace tralcon
