#pragma once
// QUiLoader that creates custom classes through the builder callback and the control factory.
#include <QStringList>
#include <QUiLoader>

namespace orlo::ui {

class IDialogBuilderCallback;

class CLayoutLoader : public QUiLoader {
  Q_OBJECT
 public:
  explicit CLayoutLoader(IDialogBuilderCallback* callback, QObject* parent = nullptr);

  QWidget* createWidget(const QString& className, QWidget* parent = nullptr,
                        const QString& name = QString()) override;

  // Class names that could not be created during the last load.
  const QStringList& UnknownClasses() const { return unknown_; }

 private:
  IDialogBuilderCallback* callback_;
  QStringList builtIn_;
  QStringList unknown_;
};

}  // namespace orlo::ui
