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
    // Shows the fields modally; true (and the fields as typed) when the operator saved.
    bool run(TeamFields& fields);
    QLineEdit* field(const char* name) const { return edits_.at(name); }

  private:
    std::map<std::string, QLineEdit*> edits_;
    bool accepted_ = false;
};

}  // namespace kyomat
