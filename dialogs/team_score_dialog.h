#pragma once
// The team score dialog of the simple team mode.
#include <QDialog>
#include <map>

#include "data/core/team_score.h"

class QLineEdit;

namespace kyomat {

class TeamScoreDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TeamScoreDialog(QWidget* parent = nullptr);
    // Fills the dialog before it is shown; once it has closed, take() gives the fields as
    // typed and is true when the operator saved.
    void prepare(const TeamFields& fields);
    bool take(TeamFields& fields) const;
    QLineEdit* field(const char* name) const { return edits_.at(name); }

  private:
    std::map<std::string, QLineEdit*> edits_;
    bool accepted_ = false;
};

}  // namespace kyomat
