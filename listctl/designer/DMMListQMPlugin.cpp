// Qt Designer's entry for DMMListQM, so that other forms can place the
// instrument list control.
#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include "listctl/DMMListQM.h"

class DMMListQMPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

  public:
    explicit DMMListQMPlugin(QObject* parent = nullptr) : QObject(parent) {}

    QString name() const override { return QStringLiteral("DMMListQM"); }
    QString group() const override { return QStringLiteral("Varnet QM-Link"); }
    QString toolTip() const override { return QStringLiteral("Identified instruments, with Connect and Disconnect"); }
    QString whatsThis() const override { return toolTip(); }
    QString includeFile() const override { return QStringLiteral("listctl/DMMListQM.h"); }
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* parent) override;
    bool isInitialized() const override { return initialized_; }
    void initialize(QDesignerFormEditorInterface*) override { initialized_ = true; }
    QString domXml() const override;

  private:
    bool initialized_ = false;
};

QIcon DMMListQMPlugin::icon() const { return DMMListQM::DrawIcon(1); }

QWidget* DMMListQMPlugin::createWidget(QWidget* parent) { return new DMMListQM(parent); }

QString DMMListQMPlugin::domXml() const {
    return QStringLiteral(
        "<ui language=\"c++\">\n"
        " <widget class=\"DMMListQM\" name=\"dmmList\">\n"
        "  <property name=\"geometry\"><rect><x>0</x><y>0</y><width>520</width><height>220</height></rect></property>\n"
        " </widget>\n"
        "</ui>\n");
}

#include "DMMListQMPlugin.moc"
