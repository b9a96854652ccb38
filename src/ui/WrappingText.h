#pragma once

#include <QTextEdit>

// Plain text that the user can select and copy, wrapped to the width it is given: at a space if
// there is one, anywhere inside a word otherwise, so no part of it is ever cut off. Its height
// follows its width.
class WrappingText : public QTextEdit
{
    Q_OBJECT

public:
    WrappingText(const QString &objectName, const QFont &font, QWidget *parent = nullptr);

    QString text() const { return toPlainText(); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void followWindowText();
};
