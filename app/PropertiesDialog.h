#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPlainTextEdit;

namespace kavrin {

struct RecordProperties;

// The login name of the effective user, "User Name" when the system has none.
QString loginName();

// File > Recording Properties: the recorded system (read only) and the recording's host
// time, title, author and description.
class PropertiesDialog : public QDialog {
    Q_OBJECT
public:
    PropertiesDialog(const RecordProperties& properties, const QString& systemName,
                     const QString& device, QWidget* parent = nullptr);

    // Title, author and description as entered.
    void takeInto(RecordProperties& properties) const;

    QLineEdit* titleField() const { return title_; }
    QLineEdit* authorField() const { return author_; }
    QPlainTextEdit* descriptionField() const { return description_; }

private:
    QLineEdit* title_;
    QLineEdit* author_;
    QPlainTextEdit* description_;
};

// Shows the dialog; on OK the three texts become the recording's, on Cancel nothing changes.
// Returns whether it was accepted.
bool editRecordProperties(QWidget* parent, RecordProperties& properties, const QString& systemName,
                          const QString& device);

} // namespace kavrin
