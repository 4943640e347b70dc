#pragma once
// DMMListQM, the instrument list control of libDMMSearchQM.so: a framed
// report list of the instruments the link engine identified, with Connect and
// Disconnect. The add-in fills it row by row (IDN), tells it which address is
// connected (mark_Address, then selmark) and reads back what the user chose
// (mark_Address, lvw_now). It talks to no instrument and raises no events.
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QWidget>
#include <memory>

class QGroupBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qm::listctl {
class ListRules;
}

// A named list of small images (icon 1 is the first).
class DMMImageList : public QObject {
    Q_OBJECT
  public:
    explicit DMMImageList(QObject* parent = nullptr) : QObject(parent) {}
    QList<QIcon> images;
    // Icon n (1-based); a null icon outside the list.
    QIcon image(int n) const { return n >= 1 && n <= images.size() ? images[n - 1] : QIcon(); }
};

class DMMListQM : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString mark_Address READ markAddress WRITE setMarkAddress)
    Q_PROPERTY(qint16 lvw_now READ lvwNow WRITE setLvwNow)

  public:
    explicit DMMListQM(QWidget* parent = nullptr);
    ~DMMListQM() override;

    QString markAddress() const;
    void setMarkAddress(const QString& address);
    qint16 lvwNow() const;
    void setLvwNow(qint16 row);

    // Adds a row from an identity text ("MAKER,MODEL,SERIAL,VERSION") and
    // its resource address; an empty identity gives a row that says so.
    Q_INVOKABLE void IDN(const QString& sBuffer, const QString& Addr);
    // Marks the row of mark_Address as connected; returns lvw_now.
    Q_INVOKABLE qint16 selmark();
    // Removes every row.
    Q_INVOKABLE void ListClear();

    // The list's font: Verdana, or a face of the same build where it is
    // not installed.
    static QFont CaptionFont();
    // Icons 1 (connected) and 2 (not connected), drawn here.
    static QIcon DrawIcon(int n);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void OnConnect();
    void OnDisconnect();
    // A row clicked, or moved to with the keyboard (none: the selection went away).
    void OnItemClicked(QTreeWidgetItem* item);
    // Shows the rules' state: rows, icons, selection, buttons.
    void Sync();
    void SizeLastColumn();

    std::unique_ptr<qm::listctl::ListRules> rules_;
    QGroupBox* frame_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QPushButton* connect_ = nullptr;
    QPushButton* disconnect_ = nullptr;
    DMMImageList* images1_ = nullptr;
    DMMImageList* images2_ = nullptr;
    bool syncing_ = false;
};
