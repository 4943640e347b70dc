#pragma once
// The frame every secondary page starts from: its dialog number as object
// name, a title from the language file, a panel for its controls and an exit
// button. Texts are applied again at each showing and whenever the main
// window changes the language, so a page never shows an earlier language.
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

    // Relabels the page from the language source: its title, its exit
    // button, then whatever the page relabels in ApplyPageTexts().
    void ApplyTexts();

  protected:
    // A page's own texts; called by ApplyTexts() (not from the constructor:
    // a page applies its texts once itself after building its controls).
    virtual void ApplyPageTexts() {}
    void showEvent(QShowEvent* event) override;
    // Where the page puts its own controls.
    QFrame* body() const { return m_body; }
    QPushButton* exitButton() const { return m_exit; }
    const qm::TextSource& texts() const { return m_source; }

  private:
    void ApplyFrameTexts();

    PageTexts m_texts;
    const qm::TextSource& m_source;
    QLabel* m_title = nullptr;
    QFrame* m_body = nullptr;
    QPushButton* m_exit = nullptr;
};
