#pragma once

#include <QComboBox>

class QListView;

namespace controls {

// A combo box whose list is always shown under its text box, rather than
// dropped down on demand.
class SimpleComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit SimpleComboBox(QWidget *parent = nullptr);

    QListView *alwaysShownList() const { return m_list; }
    // The list is already shown.
    void showPopup() override {}
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void layOutParts();

    QListView *m_list = nullptr;
};

} // namespace controls
