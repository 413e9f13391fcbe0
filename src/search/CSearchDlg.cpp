#include "CSearchDlg.h"

#include "base/PathsFile.h"
#include "db/CClaSet.h"
#include "ui/DateBox.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

CSearchDlg::CSearchDlg(const AppState &state, Database db, QWidget *parent)
    : QDialog(parent), m_state(state), m_db(std::move(db)), m_images(new QCheckBox(tr("صور"), this)),
      m_texts(new QCheckBox(tr("نصوص"), this)), m_files(new QCheckBox(tr("ملفات"), this)), m_from(DateBox::date(this)),
      m_to(DateBox::date(this)), m_class(new QComboBox(this)), m_keywords(new QLineEdit(this)),
      m_general(new QCheckBox(this)), m_phrase(new QLineEdit(this)), m_search(new QPushButton(tr("بحث"), this))
{
    setWindowTitle(tr("بحث"));
    setLayoutDirection(Qt::RightToLeft);
    setModal(false);
    // A tool window of the main window: it stays above it, whatever is clicked, printed or
    // resized there, until it is closed.
    setWindowFlag(Qt::Tool);
    m_class->setEditable(true);
    // Typed codes are taken as they stand; the box never adds them to its list.
    m_class->setInsertPolicy(QComboBox::NoInsert);
    m_search->setDefault(true);

    auto *grid = new QGridLayout;
    int row = 0;
    auto *generalRow = new QHBoxLayout;
    generalRow->addWidget(m_general);
    generalRow->addWidget(m_phrase, 1);
    grid->addWidget(new QLabel(tr("بحث عام"), this), row, 0);
    grid->addLayout(generalRow, row++, 1, 1, 3);
    grid->addWidget(new QLabel(tr("التصنيف"), this), row, 0);
    grid->addWidget(m_class, row++, 1, 1, 3);
    grid->addWidget(new QLabel(tr("كلمات مفتاحية"), this), row, 0);
    grid->addWidget(m_keywords, row++, 1, 1, 3);
    grid->addWidget(new QLabel(tr("تاريخ :          من"), this), row, 0);
    grid->addWidget(m_from, row, 1);
    grid->addWidget(new QLabel(tr("الى"), this), row, 2);
    grid->addWidget(m_to, row++, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto *kinds = new QHBoxLayout;
    kinds->addWidget(m_images);
    kinds->addWidget(m_texts);
    kinds->addWidget(m_files);
    kinds->addStretch();
    kinds->addWidget(m_search);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(kinds);

    // The archive's start date, or today when none is stored or it does not read as a date.
    const QDate today = QDate::currentDate();
    const QString stored = PathsFile::read(m_state.programFolder).values[PathsFile::StartDate];
    m_from->setDate(PathsFile::parseStartDate(stored).value_or(today));
    m_to->setDate(today);
    m_images->setChecked(true);
    m_texts->setChecked(true);
    m_files->setChecked(true);
    m_class->addItem(QueryBuilder::allClassesText());
    loadClasses();
    m_class->setCurrentIndex(0);
    m_class->setEditText(QueryBuilder::allClassesText());
    m_general->setChecked(true);
    applyMode();

    connect(m_general, &QCheckBox::toggled, this, &CSearchDlg::applyMode);
    connect(m_search, &QPushButton::clicked, this, &CSearchDlg::search);
}

void CSearchDlg::loadClasses()
{
    // Read once: classifications added later appear after the program restarts.
    const Result<QList<ClassRow>> classes = CClaSet(m_db).all();
    if (!classes) {
        MessageBox::warning(this, classes.error(), windowTitle());
        m_permitted = PermittedClasses::of({}, m_state.classAccess);
        return;
    }
    m_permitted = PermittedClasses::of(*classes, m_state.classAccess);
    m_class->addItems(m_permitted.comboItems);
}

void CSearchDlg::applyMode()
{
    const bool general = m_general->isChecked();
    m_phrase->setEnabled(general);
    m_keywords->setEnabled(!general);
    m_class->setEnabled(!general);
}

SearchRequest CSearchDlg::request() const
{
    SearchRequest r;
    r.images = m_images->isChecked();
    r.texts = m_texts->isChecked();
    r.files = m_files->isChecked();
    r.from = m_from->date();
    r.to = m_to->date();
    r.classText = m_class->currentText();
    r.keywords = m_keywords->text();
    r.general = m_general->isChecked();
    r.phrase = m_phrase->text();
    return r;
}

bool CSearchDlg::search()
{
    const Result<BuiltQuery> built = QueryBuilder::build(request(), m_permitted, m_db.engine());
    if (!built) {
        MessageBox::information(this, built.error(), windowTitle());
        return false;
    }
    // Other programs pick the query text up from the dump; a failure to write it does not keep
    // the user from the hits.
    const Status dumped = QueryBuilder::writeDump(built->jetText);
    if (!dumped)
        MessageBox::warning(this, dumped.error(), windowTitle());
    // A report window with nothing in it says nothing; the dialog says so and stays as it is.
    const Result<bool> hits = QueryBuilder::hasHits(m_db, *built);
    if (hits && !*hits) {
        MessageBox::information(this, QueryBuilder::noHitsMessage(), windowTitle());
        return false;
    }
    Q_EMIT searchRequested(*built);
    return true;
}
