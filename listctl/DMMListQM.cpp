#include "listctl/DMMListQM.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "listctl/ListRules.h"

using qm::listctl::ListRules;
using qm::listctl::RowIcon;

namespace {

constexpr int kColumns = 4;
constexpr const char* kColumnTitles[kColumns] = {"Instrument", "Name", "Manufacturer", "Address"};
// Widths in twips, as the list was laid out: the first three columns at least
// an inch, and the gap the last column leaves before the list's edge.
constexpr int kMinColumnTwips = 1440;
constexpr int kLastColumnGapTwips = 60;
// The address of a USB meter, as the list's smallest width must show it.
constexpr const char* kTypicalAddress = "USB0::0x1209::0x4101::SN000001::INSTR";

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

int TwipsToPixels(const QWidget* w, int twips) {
    return (twips * w->logicalDpiX() + 720) / 1440;
}

void PaintIcon(QPainter& p, int n, qreal size) {
    p.setRenderHint(QPainter::Antialiasing);
    const qreal m = size / 16.0;
    const QRectF disc(1.5 * m, 1.5 * m, 13 * m, 13 * m);
    if (n == 1) {
        // Connected: a green disc with a white tick.
        p.setPen(QPen(QColor(0x1b, 0x6e, 0x20), 1.0 * m));
        p.setBrush(QColor(0x3c, 0xa8, 0x3f));
        p.drawEllipse(disc);
        QPainterPath tick;
        tick.moveTo(4.5 * m, 8.3 * m);
        tick.lineTo(7.0 * m, 10.8 * m);
        tick.lineTo(11.6 * m, 5.4 * m);
        p.setPen(QPen(Qt::white, 2.0 * m, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    } else {
        // Not connected: a grey ring with a bar across.
        p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1.6 * m));
        p.setBrush(QColor(0xf2, 0xf2, 0xf2));
        p.drawEllipse(disc);
        p.setPen(QPen(QColor(0x70, 0x70, 0x70), 2.0 * m, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.0 * m, 8.0 * m), QPointF(11.0 * m, 8.0 * m));
    }
}

}  // namespace

QIcon DMMListQM::DrawIcon(int n) {
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        PaintIcon(p, n, size);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QFont DMMListQM::CaptionFont() {
    QFont font;
    // No metric twin of Verdana ships with Debian; DejaVu Sans grew from the
    // same wide, open design and lays captions out at nearly the same widths.
    const QString family =
        QFontDatabase::hasFamily("Verdana") ? QStringLiteral("Verdana") : QStringLiteral("DejaVu Sans");
    font.setFamilies({family, QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(9);
    return font;
}

DMMListQM::DMMListQM(QWidget* parent) : QWidget(parent), rules_(std::make_unique<ListRules>()) {
    setFont(CaptionFont());

    images1_ = new DMMImageList(this);
    images1_->setObjectName("ImageList1");
    images2_ = new DMMImageList(this);
    images2_->setObjectName("ImageList2");
    for (DMMImageList* list : {images1_, images2_}) list->images = {DrawIcon(1), DrawIcon(2)};

    frame_ = new QGroupBox(QStringLiteral("Identified Instruments on My Computer"), this);
    frame_->setObjectName("Frame1");
    list_ = new QTreeWidget(frame_);
    list_->setObjectName("lvwDMM");
    list_->setRootIsDecorated(false);  // a report view, not a tree
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);  // full-row selection
    list_->setAllColumnsShowFocus(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);  // labels edited only by code
    list_->setIconSize(QSize(16, 16));
    list_->setHeaderLabels({kColumnTitles[0], kColumnTitles[1], kColumnTitles[2], kColumnTitles[3]});
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionsMovable(false);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    connect_ = new QPushButton(QStringLiteral("Connect"), frame_);
    connect_->setObjectName("cmdConnect");
    connect_->setAutoDefault(false);
    disconnect_ = new QPushButton(QStringLiteral("Disconnect"), frame_);
    disconnect_->setObjectName("cmdDisconnect");
    disconnect_->setAutoDefault(false);

    auto* inner = new QGridLayout(frame_);
    inner->addWidget(list_, 0, 0, 1, 3);
    inner->setColumnStretch(0, 1);
    inner->addWidget(connect_, 1, 1);
    inner->addWidget(disconnect_, 1, 2);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame_);

    // The first three columns at least an inch, wide enough for their titles
    // and for what the control itself writes there.
    const QFontMetrics fm(list_->header()->font());
    const QFontMetrics cells(list_->font());
    const int padding = list_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, list_) * 2 + 8;
    const int minimum = TwipsToPixels(this, kMinColumnTwips);
    const int icon = list_->iconSize().width() + 4;
    list_->setColumnWidth(0, std::max({minimum, fm.horizontalAdvance(kColumnTitles[0]) + padding + icon,
                                       cells.horizontalAdvance(qm::listctl::kInstrumentText) + padding + icon}));
    list_->setColumnWidth(1, std::max(minimum, fm.horizontalAdvance(kColumnTitles[1]) + padding));
    list_->setColumnWidth(2, std::max({minimum, fm.horizontalAdvance(kColumnTitles[2]) + padding,
                                       cells.horizontalAdvance(qm::listctl::kNoIdentity) + padding}));
    // At its smallest the list still shows a USB meter's whole address.
    int fixed = 0;
    for (int c = 0; c < kColumns - 1; ++c) fixed += list_->columnWidth(c);
    const int frame = list_->frameWidth() * 2 + list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
    list_->setMinimumWidth(fixed + cells.horizontalAdvance(QString::fromLatin1(kTypicalAddress)) + padding +
                           TwipsToPixels(this, kLastColumnGapTwips) + frame);

    QObject::connect(connect_, &QPushButton::clicked, this, &DMMListQM::OnConnect);
    QObject::connect(disconnect_, &QPushButton::clicked, this, &DMMListQM::OnDisconnect);
    QObject::connect(list_, &QTreeWidget::itemClicked, this, &DMMListQM::OnItemClicked);
    QObject::connect(list_, &QTreeWidget::currentItemChanged, this,
                     [this](QTreeWidgetItem* current) { OnItemClicked(current); });

    list_->viewport()->installEventFilter(this);
    rules_->Initialise();
    Sync();
    SizeLastColumn();
}

DMMListQM::~DMMListQM() = default;

QString DMMListQM::markAddress() const { return Q(rules_->mark_Address); }
void DMMListQM::setMarkAddress(const QString& address) { rules_->mark_Address = S(address); }
qint16 DMMListQM::lvwNow() const { return rules_->lvw_now; }
void DMMListQM::setLvwNow(qint16 row) { rules_->lvw_now = row; }

void DMMListQM::IDN(const QString& sBuffer, const QString& Addr) {
    rules_->IDN(S(sBuffer), S(Addr));
    Sync();
}

qint16 DMMListQM::selmark() {
    const qint16 row = rules_->selmark();
    Sync();
    return row;
}

void DMMListQM::ListClear() {
    rules_->ListClear();
    Sync();
}

void DMMListQM::OnConnect() {
    rules_->Connect();
    Sync();
}

void DMMListQM::OnDisconnect() {
    rules_->Disconnect();
    Sync();
}

void DMMListQM::OnItemClicked(QTreeWidgetItem* item) {
    if (syncing_) return;
    rules_->Click(item ? list_->indexOfTopLevelItem(item) + 1 : 0);
    Sync();
}

void DMMListQM::Sync() {
    syncing_ = true;
    const auto& rows = rules_->rows();
    while (list_->topLevelItemCount() > static_cast<int>(rows.size()))
        delete list_->takeTopLevelItem(list_->topLevelItemCount() - 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(i));
        if (!item) item = new QTreeWidgetItem(list_);
        const auto& r = rows[i];
        item->setText(0, Q(r.text));
        item->setText(1, Q(r.name));
        item->setText(2, Q(r.manufacturer));
        item->setText(3, Q(r.address));
        item->setIcon(0, r.icon == RowIcon::None ? QIcon() : images2_->image(static_cast<int>(r.icon)));
    }
    const int selected = rules_->selectedRow();
    if (selected >= 1 && selected <= list_->topLevelItemCount()) {
        QTreeWidgetItem* item = list_->topLevelItem(selected - 1);
        list_->setCurrentItem(item);
        item->setSelected(true);
    } else {
        list_->clearSelection();
        list_->setCurrentItem(nullptr);
    }
    if (rules_->takeFocusRequest()) list_->setFocus();
    connect_->setEnabled(rules_->connectEnabled());
    disconnect_->setEnabled(rules_->disconnectEnabled());
    syncing_ = false;
}

void DMMListQM::SizeLastColumn() {
    int used = 0;
    for (int c = 0; c < kColumns - 1; ++c) used += list_->columnWidth(c);
    const int header = QFontMetrics(list_->header()->font()).horizontalAdvance(kColumnTitles[3]) + 16;
    const int width = list_->viewport()->width() - used - TwipsToPixels(this, kLastColumnGapTwips);
    list_->setColumnWidth(kColumns - 1, std::max(width, header));
}

bool DMMListQM::eventFilter(QObject* watched, QEvent* event) {
    // The last column follows the list's width (also when a scroll bar comes or goes).
    if (watched == list_->viewport() && event->type() == QEvent::Resize) SizeLastColumn();
    return QWidget::eventFilter(watched, event);
}

void DMMListQM::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    SizeLastColumn();
}
