#pragma once
// Load's splash form: a caption, the program's image and one label that
// names the file opened. It closes itself a moment after it is shown.
#include <QWidget>

class QLabel;

class CLoadForm : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kShownMs = 1500;
    explicit CLoadForm(QWidget* parent = nullptr);
    void setLabel(const QString& text);
    // Shows the form, lets pending events run, and quits the application
    // kShownMs later.
    void showAndClose();

  private:
    QLabel* image_ = nullptr;
    QLabel* label_ = nullptr;
};
