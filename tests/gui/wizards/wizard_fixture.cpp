#include "wizard_fixture.h"

#include "gui/widgets/virtual_tree_edit.h"
#include "gui/wizards/profile_chooser.h"
#include "model/profiles/user_profiles.h"
#include "model/settings/configuration.h"
#include "platform/user_folders.h"

#include <QDir>
#include <QMetaProperty>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>

namespace vc::test {

void WizardTest::SetUp() {
    // Everything of this test in its own folder: the store and profile file (application data),
    // the remembered list positions (per-user settings) and the outputs.
    saved_xdg_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir_ / "data").string()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((dir_ / "config").string()));
    root_folder_ = QString::fromStdString((dir_ / "Conversion").string());
    QDir().mkpath(root_folder_);
    AVConfiguration().SetOutputFolder(root_folder_);
    AVConfiguration().PerformanceOptions()->SetThreadCount(0);
    catalogue_ = LoadCatalogue(QString());
    store_ = std::make_unique<TPersistentManager>(GetAppDataFolder(), root_folder_);
    context_.catalogue = catalogue_.get();
    context_.store = store_.get();
}

void WizardTest::TearDown() {
    store_.reset();
    if (saved_xdg_.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved_xdg_);
}

ScriptedFileChooser::ScriptedFileChooser() {
    previous_ = gui::SetFileChooser([this](const gui::TFileQuestion& question) {
        questions_.push_back(question);
        if (answers_.empty())
            return QStringList();
        const QStringList files = answers_.front();
        answers_.erase(answers_.begin());
        return files;
    });
}

ScriptedFileChooser::~ScriptedFileChooser() {
    gui::SetFileChooser(std::move(previous_));
}

void PickCategory(QWidget* widget, const QString& name) {
    auto* edit = qobject_cast<gui::TVirtualTreeEdit*>(widget);
    ASSERT_NE(edit, nullptr);
    edit->showPopup();
    QTreeWidget* tree = edit->PopupTree();
    ASSERT_NE(tree, nullptr);
    const QList<QTreeWidgetItem*> items = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    tree->setCurrentItem(items.first());
    QTest::keyClick(tree, Qt::Key_Return);
}

QStringList DiffProperties(const QObject& a, const QObject& b, const QStringList& ignored,
                           const QString& prefix) {
    QStringList diffs;
    const QMetaObject* meta = a.metaObject();
    if (meta != b.metaObject())
        return {prefix + ": " + meta->className() + " != " + b.metaObject()->className()};
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const QString path = prefix.isEmpty() ? QString::fromLatin1(property.name())
                                              : prefix + '.' + QString::fromLatin1(property.name());
        if (ignored.contains(path) || qstrcmp(property.name(), "objectName") == 0)
            continue;
        const QVariant va = property.read(&a);
        const QVariant vb = property.read(&b);
        if (property.metaType().flags().testFlag(QMetaType::PointerToQObject)) {
            const QObject* oa = va.value<QObject*>();
            const QObject* ob = vb.value<QObject*>();
            if (oa && ob)
                diffs << DiffProperties(*oa, *ob, ignored, path);
            else if (oa != ob)
                diffs << path + ": one side is null";
            continue;
        }
        if (va != vb)
            diffs << path + ": " + va.toString() + " | " + va.toStringList().join(';') +
                         " != " + vb.toString() + " | " + vb.toStringList().join(';');
    }
    return diffs;
}

} // namespace vc::test
