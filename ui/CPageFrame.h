#pragma once
// The frame every secondary page starts from: its dialog number as object
// name, a title from the language file, a panel for its controls and an exit
// button. Texts are applied again at each showing, so a page follows the
// language chosen since it was last open.
#include <QDialog>
#include <string_view>

class QFrame;
class QLabel;
class QPushButton;

namespace qm {
class TextSource;
}

struct PageTexts {
    std::string_view titleKey;
    std::string_view titleDefault;
    std::string_view exitKey;
    std::string_view exitDefault;
};

class CPageFrame : public QDialog {
    Q_OBJECT

  public:
    CPageFrame(int dialogId, PageTexts texts, const qm::TextSource& source, QWidget* parent);

  protected:
    void showEvent(QShowEvent* event) override;
    // Where the page puts its own controls.
    QFrame* body() const { return m_body; }
    const qm::TextSource& texts() const { return m_source; }
    QPushButton* exitButton() const { return m_exit; }

  private:
    void ApplyTexts();

    PageTexts m_texts;
    const qm::TextSource& m_source;
    QLabel* m_title = nullptr;
    QFrame* m_body = nullptr;
    QPushButton* m_exit = nullptr;
};
