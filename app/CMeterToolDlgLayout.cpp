// The controls of the main window and where they sit: menu and toolbar on
// top; device list, status lines and the reading combos on the left; the
// device display and the chart in the middle with the chart line controls
// beside it; the two rows of function keys at the bottom.
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>

#include "app/CMeterToolDlg.h"
#include "app/CShapeButton.h"
#include "app/ChartModel.h"
#include "app/FittedLabelWidget.h"
#include "app/LiveChartWidget.h"
#include "app/MainWindowIds.h"
#include "app/ReadingValues.h"
#include "config/YScaleTable.h"
#include "ui/QtIcons.h"
#include "config/FunctionControl.h"
#include "config/FunctionTable.h"

using namespace qm::mainwindow;

namespace {

QString Id(int id) {
    return QString::number(id);
}

template <typename W>
W* Named(W* widget, int id) {
    widget->setObjectName(Id(id));
    return widget;
}

QFrame* Panel(QWidget* parent, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Plain);
    return frame;
}

QFrame* Lamp(QWidget* parent, int id) {
    auto* lamp = Named(new QFrame(parent), id);
    lamp->setFixedSize(14, 14);
    lamp->setFrameShape(QFrame::Box);
    lamp->setLineWidth(1);
    lamp->setAutoFillBackground(true);
    return lamp;
}

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The widest texts a value field receives: readings just inside the
// overload limit either way, with all their decimals.
QStringList WidestValueTexts() {
    QStringList texts;
    for (double limit : {qm::kOverloadLimit, -qm::kOverloadLimit})
        texts << QString::fromStdString(qm::ClassifyReading(std::nextafter(limit, 0.0), "").text);
    return texts;
}

// Every name a device line's function fields can show.
QStringList FunctionLabels() {
    QStringList labels{"NONE"};
    for (const qm::FunctionEntry& entry : qm::g_functionTable) labels << FromView(entry.label);
    return labels;
}

// An edit at least as wide as it must be to show each of `texts` whole,
// measured the way the edit measures its own size.
void ReserveTextWidth(QLineEdit* edit, const QStringList& texts) {
    const QFontMetrics fm(edit->font());
    int widest = 0;
    for (const QString& t : texts) widest = std::max(widest, fm.horizontalAdvance(t));
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->contentsRect();
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    const QMargins margins = edit->textMargins();
    // QLineEdit keeps two pixels either side of its text and one for the cursor.
    const QSize content(widest + 2 * 2 + 1 + margins.left() + margins.right(), fm.height());
    edit->setMinimumWidth(
        edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, content, edit).width());
}

// The function name of a device line (main or second value): room for the
// longest function label.
qm::FittedLabel* FunctionName(QWidget* parent, int id) {
    auto* label = Named(new qm::FittedLabel(QString(), parent), id);
    label->setProperty("role", "function");
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// A value field of a device line, in the large digit style. A long reading
// is drawn smaller rather than cut: the field keeps room for the widest text
// a reading gives at the floor size.
constexpr int kValueFloorPixels = 13;
qm::FittedLabel* ValueField(QWidget* parent, int id) {
    auto* label = Named(new qm::FittedLabel("0", parent), id);
    label->setProperty("role", "value");
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFloorPixelSize(kValueFloorPixels);
    return label;
}

// The families every text falls back on, so that the Chinese texts render
// whatever the first family covers.
QStringList FamiliesWith(const QString& first, bool simplifiedFirst) {
    QStringList families{first};
    if (simplifiedFirst)
        families << "Noto Sans CJK SC"
                 << "Noto Sans CJK TC";
    else
        families << "Noto Sans CJK TC"
                 << "Noto Sans CJK SC";
    families << "Noto Sans CJK JP";
    return families;
}

constexpr int kKeyWidth = 104;
constexpr int kKeyHeight = 34;

}  // namespace

QAction* CMeterToolDlg::AddCommand(QMenu* menu, int commandId, const char* slot) {
    QAction* action = menu->addAction(QString());
    action->setData(commandId);
    action->setObjectName(Id(commandId));
    connect(action, SIGNAL(triggered()), this, slot);
    m_actions[commandId] = action;
    return action;
}

void CMeterToolDlg::BuildMenu() {
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    // Handlers by command; the positions and texts come from the menu table.
    const std::map<int, const char*> handlers = {
        {kCmdDeviceSettings, SLOT(OnDeviceSettings())},
        {kCmdReadingSettings, SLOT(OnReadingSettings())},
        {kCmdRefresh, SLOT(OnRefresh())},
        {kCmdExit, SLOT(OnExit())},
        {kCmdViewRecord, SLOT(OnViewRecord())},
        {kCmdChartRecord, SLOT(OnChartRecord())},
        {kCmdMultipleReadings, SLOT(OnMultipleReadings())},
        {kCmdStartReading, SLOT(OnStartReading())},
        {kCmdStopReading, SLOT(OnStopReading())},
        {kCmdCommandControl, SLOT(OnCommandControl())},
        {kCmdAbout, SLOT(OnAbout())},
    };
    QMenu* menu = nullptr;
    int position = 0;
    for (const qm::MenuText& entry : qm::MainMenuTexts()) {
        if (entry.item < 0) {
            menu = m_menuBar->addMenu(QString());
            m_menus.push_back(menu);
            position = 0;
            continue;
        }
        if (menu == nullptr) continue;
        // Gaps between the table's positions are separators.
        for (; position < entry.item; ++position) menu->addSeparator();
        const auto handler = handlers.find(entry.commandId);
        if (handler != handlers.end()) AddCommand(menu, entry.commandId, handler->second);
        ++position;
    }

    // The window menu's About entry: Linux window managers keep their own
    // window menu, so it lives in the window's context menu.
    auto* about = new QAction("About TX41 DA-VIVO(&A)...", this);
    about->setData(int(kCmdSystemAbout));
    about->setObjectName(Id(kCmdSystemAbout));
    connect(about, &QAction::triggered, this, &CMeterToolDlg::OnAbout);
    m_actions[kCmdSystemAbout] = about;
    setContextMenuPolicy(Qt::ActionsContextMenu);
    addAction(about);
}

void CMeterToolDlg::BuildToolBar() {
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName("130");
    m_toolBar->setIconSize(QSize(22, 22));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setMovable(false);
    auto add = [this](int id, const char* icon, void (CMeterToolDlg::*handler)()) {
        QAction* action = m_toolBar->addAction(qmIcon(icon), QString());
        action->setData(id);
        action->setObjectName(Id(id));
        connect(action, &QAction::triggered, this, handler);
        m_actions[id] = action;
        return action;
    };
    add(kCmdToolbarStart, "start", &CMeterToolDlg::OnStartReading);
    add(kCmdToolbarStop, "stop", &CMeterToolDlg::OnStopReading);
    m_toolBar->addSeparator();
    add(kCmdSetDevice, "set_device", &CMeterToolDlg::OnDeviceSettings);
}

QWidget* CMeterToolDlg::BuildStatusColumn() {
    auto* column = new QWidget(this);
    column->setFixedWidth(272);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    m_deviceList = Named(new QListWidget(column), kDeviceList);
    m_deviceList->setMinimumHeight(96);
    m_deviceList->setMaximumHeight(132);
    m_deviceList->setUniformItemSizes(true);
    connect(m_deviceList, &QListWidget::currentRowChanged, this,
            &CMeterToolDlg::OnDeviceListSelChange);
    layout->addWidget(m_deviceList);

    QFrame* status = Panel(column, "statusPanel");
    auto* statusLayout = new QVBoxLayout(status);
    statusLayout->setContentsMargins(10, 8, 10, 8);
    statusLayout->setSpacing(4);
    // An instrument's answer makes these lines: one too long for the column
    // is elided visibly, whole in the tooltip.
    m_functionStatus = Named(new qm::FittedLabel("Function : ", status), kFunctionStatus);
    m_rangeStatus = Named(new qm::FittedLabel("Range : ", status), kRangeStatus);
    for (qm::FittedLabel* label : {m_functionStatus, m_rangeStatus}) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
        statusLayout->addWidget(label);
    }
    layout->addWidget(status);

    QFrame* pace = Panel(column, "readingPanel");
    auto* grid = new QGridLayout(pace);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(1, 1);
    m_labels[kReadingSpeedLabel] = Named(new QLabel(pace), kReadingSpeedLabel);
    m_readingSpeed = Named(new QComboBox(pace), kReadingSpeed);
    for (std::string_view entry : qm::g_readingSpeedEntries)
        m_readingSpeed->addItem(QString::fromUtf8(entry.data(), qsizetype(entry.size())));
    connect(m_readingSpeed, &QComboBox::activated, this, &CMeterToolDlg::OnReadingSpeedSelChange);
    m_triggerInterval = Named(new QLabel(pace), kTriggerInterval);
    m_labels[kXMaxLabel] = Named(new QLabel(pace), kXMaxLabel);
    m_xMax = Named(new QComboBox(pace), kXMaxCombo);
    for (std::string_view entry : qm::g_xMaxEntries)
        m_xMax->addItem(QString::fromUtf8(entry.data(), qsizetype(entry.size())));
    connect(m_xMax, &QComboBox::activated, this, &CMeterToolDlg::OnXMaxSelChange);
    grid->addWidget(m_labels[kReadingSpeedLabel], 0, 0);
    grid->addWidget(m_readingSpeed, 0, 1);
    grid->addWidget(m_triggerInterval, 1, 0, 1, 2);
    grid->addWidget(m_labels[kXMaxLabel], 2, 0);
    grid->addWidget(m_xMax, 2, 1);
    layout->addWidget(pace);

    QFrame* second = Panel(column, "secondFunctionPanel");
    auto* secondLayout = new QVBoxLayout(second);
    secondLayout->setContentsMargins(10, 8, 10, 8);
    secondLayout->setSpacing(6);
    auto* title = new QHBoxLayout;
    title->setSpacing(6);
    m_secondMarkerA = Named(new QFrame(second), kSecondFunctionMarkerA);
    m_secondMarkerB = Named(new QFrame(second), kSecondFunctionMarkerB);
    for (QFrame* marker : {m_secondMarkerA, m_secondMarkerB}) {
        marker->setFixedSize(4, 16);
        marker->setStyleSheet("background: #2f6fb3; border-radius: 2px;");
    }
    m_secondFunctionLabel =
        Named(new QLabel("Measurement Function :", second), kSecondFunctionLabel);
    title->addWidget(m_secondMarkerA);
    title->addWidget(m_secondFunctionLabel, 1);
    title->addWidget(m_secondMarkerB);
    secondLayout->addLayout(title);
    m_secondFunction = Named(new QComboBox(second), kSecondFunctionCombo);
    for (const char* entry : {"NONE", "DCV", "DCI", "ACV", "ACI", "2W", "4W", "PERIOD", "FREQ",
                              "TCOUPL", "TEMP", "CAP"})
        m_secondFunction->addItem(entry);
    connect(m_secondFunction, &QComboBox::activated, this,
            &CMeterToolDlg::OnSecondFunctionSelChange);
    secondLayout->addWidget(m_secondFunction);
    layout->addWidget(second);
    layout->addStretch(1);
    return column;
}

QWidget* CMeterToolDlg::BuildDisplayPanel() {
    QFrame* panel = Panel(this, "displayPanel");
    panel->setStyleSheet(
        "QFrame#displayPanel { background: #1f252d; border: 1px solid #0f1318; border-radius: 4px; "
        "}"
        "QFrame#displayPanel QLabel, QFrame#displayPanel QRadioButton { color: #c9d1db;"
        " background: transparent; }"
        "QFrame#displayPanel QLabel[role=\"value\"] { color: #f2f5f8; }"
        "QFrame#displayPanel QLabel[role=\"value\"][silent=\"true\"] { color: #6b7684; }"
        "QFrame#displayPanel QLabel[role=\"function\"] { color: #7fc4ff; font-weight: bold; }"
        "QFrame#displayPanel QLabel[role=\"marker\"] { color: #1f252d; background: #e0b44c;"
        " border-radius: 3px; padding: 0px 3px; font-weight: bold; }"
        "QFrame#displayPanel QRadioButton::indicator { width: 10px; height: 10px;"
        " border-radius: 6px; border: 1px solid #8a96a3; background: #2b323b; }"
        "QFrame#displayPanel QRadioButton::indicator:checked { background: #7fc4ff;"
        " border: 1px solid #d8ecff; }");
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(12, 8, 12, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(2, 1);
    static const char* const kRadioTexts[8] = {"1", "2", "3", "4", "1_2", "2_2", "3_2", "4_2"};
    for (int i = 0; i < 4; ++i) {
        DeviceLine& line = m_lines[static_cast<std::size_t>(i)];
        const auto at = static_cast<std::size_t>(i);
        line.lamp = Lamp(panel, kMainLamps[at]);
        line.caption =
            Named(new qm::FittedLabel(QString("Multimeter Device -- %1").arg(i + 1), panel),
                  kDeviceCaptions[at]);
        // A long device label is drawn a little smaller; one too long even
        // then keeps both ends in view.
        line.caption->setFloorPixelSize(10);
        line.caption->setElideMode(Qt::ElideMiddle);
        line.caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        line.functionName = FunctionName(panel, kFunctionNames[at]);
        line.value = ValueField(panel, kMainValues[at]);
        line.secondMarker = Named(new QLabel("ND", panel), kSecondMarkers[at]);
        line.secondMarker->setProperty("role", "marker");
        line.secondLamp = Lamp(panel, kSecondLamps[at]);
        line.secondName = FunctionName(panel, kSecondFunctionNames[at]);
        line.secondValue = ValueField(panel, kSecondValues[at]);
        // The chart line selectors sit beside the lamps of their lines.
        for (int second = 0; second < 2; ++second) {
            const int chartLine = i + 4 * second;
            const auto at2 = static_cast<std::size_t>(chartLine);
            auto* radio = Named(new QRadioButton(kRadioTexts[at2], panel), kLineRadios[at2]);
            connect(radio, &QRadioButton::clicked, this,
                    [this, chartLine] { OnLineRadio(chartLine); });
            m_lineRadios[at2] = radio;
        }
        // As on a meter's display: the line's name and function above, its
        // reading across the whole width below; then the second value the
        // same way. Rows of hidden controls take no room.
        const int row = 4 * i;
        grid->addWidget(m_lineRadios[at], row, 0);
        grid->addWidget(line.lamp, row, 1);
        grid->addWidget(line.caption, row, 2);
        grid->addWidget(line.functionName, row, 3);
        grid->addWidget(line.value, row + 1, 0, 1, 4);
        grid->addWidget(m_lineRadios[at + 4], row + 2, 0);
        grid->addWidget(line.secondLamp, row + 2, 1);
        grid->addWidget(line.secondMarker, row + 2, 2, Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(line.secondName, row + 2, 3);
        grid->addWidget(line.secondValue, row + 3, 0, 1, 4);
    }
    return panel;
}

QWidget* CMeterToolDlg::BuildChartControls() {
    // As wide as its controls need in the language shown (ApplyFonts).
    auto* column = new QWidget(this);
    m_chartControls = column;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    QFrame* scale = Panel(column, "scalePanel");
    auto* grid = new QGridLayout(scale);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    auto upDown = [scale](int id, const char* text, const char* icon) {
        auto* button = Named(new QPushButton(qmIcon(icon), text, scale), id);
        button->setAutoDefault(false);
        return button;
    };
    // Two columns: each edit has a column's width or more, room for the
    // longest text it shows.
    m_labels[kYScaleLabel] = Named(new QLabel(scale), kYScaleLabel);
    m_yScaleUp = upDown(kYScaleUp, "Up", "arrow_up");
    m_yScaleDown = upDown(kYScaleDown, "Dn", "arrow_down");
    m_yScaleEdit = Named(new QLineEdit(scale), kYScaleEdit);
    m_yScaleEdit->setReadOnly(true);
    m_yScaleEdit->setAlignment(Qt::AlignCenter);
    connect(m_yScaleUp, &QPushButton::clicked, this, &CMeterToolDlg::OnYScaleUp);
    connect(m_yScaleDown, &QPushButton::clicked, this, &CMeterToolDlg::OnYScaleDown);
    grid->addWidget(m_labels[kYScaleLabel], 0, 0);
    grid->addWidget(m_yScaleEdit, 0, 1);
    grid->addWidget(m_yScaleUp, 1, 0);
    grid->addWidget(m_yScaleDown, 1, 1);

    m_labels[kDataOffsetLabel] = Named(new QLabel(scale), kDataOffsetLabel);
    m_dataOffsetEdit = Named(new QLineEdit("0", scale), kDataOffsetEdit);
    // Room for every offset the edit can be given back ("%f" of the largest
    // number), so that setting the text never cuts digits off it.
    m_dataOffsetEdit->setMaxLength(400);
    m_dataOffsetSet = Named(new QPushButton("SET", scale), kDataOffsetSet);
    m_dataOffsetSet->setAutoDefault(false);
    connect(m_dataOffsetSet, &QPushButton::clicked, this, &CMeterToolDlg::OnDataOffsetSet);
    grid->addWidget(m_labels[kDataOffsetLabel], 2, 0);
    grid->addWidget(m_dataOffsetSet, 2, 1);
    grid->addWidget(m_dataOffsetEdit, 3, 0, 1, 2);

    m_labels[kShiftGraphLabel] = Named(new QLabel(scale), kShiftGraphLabel);
    m_shiftUp = upDown(kShiftGraphUp, "Up", "arrow_up");
    m_shiftDown = upDown(kShiftGraphDown, "Dn", "arrow_down");
    connect(m_shiftUp, &QPushButton::clicked, this, &CMeterToolDlg::OnShiftGraphUp);
    connect(m_shiftDown, &QPushButton::clicked, this, &CMeterToolDlg::OnShiftGraphDown);
    grid->addWidget(m_labels[kShiftGraphLabel], 4, 0, 1, 2);
    grid->addWidget(m_shiftUp, 5, 0);
    grid->addWidget(m_shiftDown, 5, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(scale);
    layout->addStretch(1);
    return column;
}

QWidget* CMeterToolDlg::BuildFunctionKeys() {
    QFrame* panel = Panel(this, "functionKeys");
    auto* rows = new QVBoxLayout(panel);
    rows->setContentsMargins(12, 8, 12, 8);
    rows->setSpacing(8);
    // DCV ACV 2W FREQ CONT TEMP above, DCI ACI 4W PERIOD DIODE TCOUPL CAP below.
    const std::vector<std::vector<int>> keyRows = {{1078, 1079, 1080, 1081, 1082, 1083},
                                                   {1087, 1088, 1089, 1090, 1091, 1092, 1093}};
    for (const auto& ids : keyRows) {
        auto* row = new QHBoxLayout;
        row->setSpacing(10);
        row->addStretch(1);
        for (int id : ids) {
            const qm::FunctionButton* button = qm::FunctionButtonById(id);
            if (button == nullptr) continue;
            auto* key = new CShapeButton(
                QString::fromUtf8(button->caption.data(), qsizetype(button->caption.size())),
                panel);
            key->setObjectName(Id(id));
            key->setFixedSize(kKeyWidth, kKeyHeight);
            key->setAutoDefault(false);
            key->setFocusPolicy(Qt::TabFocus);
            connect(key, &QPushButton::clicked, this, [this, id] { OnFunctionButton(id); });
            m_functionKeys[id] = key;
            row->addWidget(key);
        }
        row->addStretch(1);
        rows->addLayout(row);
    }
    return panel;
}

void CMeterToolDlg::ApplyFonts() {
    const bool simplified = m_texts.language() == qm::kLanguageChineseSimplified;
    QFont base = font();
    base.setFamilies(FamiliesWith("DejaVu Sans", simplified));
    base.setPointSizeF(10.0);
    setFont(base);

    QFont digits(base);
    digits.setFamilies(FamiliesWith("DejaVu Sans Mono", simplified));
    digits.setStyleHint(QFont::Monospace);
    digits.setFixedPitch(true);
    digits.setBold(true);
    QFont big(digits);
    big.setPixelSize(30);
    QFont medium(digits);
    medium.setPixelSize(20);
    QFont small(base);
    small.setPointSizeF(9.0);
    for (DeviceLine& line : m_lines) {
        line.value->setFont(big);
        line.secondValue->setFont(medium);
        line.caption->setFont(small);
        line.secondMarker->setFont(small);
    }
    QFont keys(base);
    keys.setBold(true);
    for (auto& [id, key] : m_functionKeys) key->setFont(keys);

    // Room for the longest text each field receives, in these fonts.
    const QStringList values = WidestValueTexts();
    const QStringList functions = FunctionLabels();
    for (DeviceLine& line : m_lines) {
        line.value->setLongestTexts(values);
        line.secondValue->setLongestTexts(values);
        line.functionName->setLongestTexts(functions);
        line.secondName->setLongestTexts(functions);
    }
    QStringList scales;
    for (const qm::YScaleEntry& entry : qm::YScaleTable()) scales << FromView(entry.label);
    ReserveTextWidth(m_yScaleEdit, scales);
    // Offsets as the edit shows them back: one of a reading's size with its
    // decimals, and a tiny one in twelve digits. Longer ones scroll, as in
    // any edit being typed into.
    ReserveTextWidth(m_dataOffsetEdit,
                     {QString::fromStdString(qm::ChartModel::FormatOffset(-123456789.123456)),
                      QString::fromStdString(qm::ChartModel::FormatOffset(-1.23456789012e-7))});
    m_chartControls->setFixedWidth(std::max(196, m_chartControls->minimumSizeHint().width()));
}
