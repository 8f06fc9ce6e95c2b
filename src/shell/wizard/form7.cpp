#include "form7.h"

#include "shell/common/qtprompt.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace quorvel {

namespace {

struct SchemeOption {
    PresetScheme scheme;
    const char* name;
    const char* caption;
};

// The options from top to bottom.
const SchemeOption schemeOptions[] = {
    {PresetScheme::SubjectBalanced, "zongfengeke", "按总分均衡各科成绩"},
    {PresetScheme::GradeLevel, "dengji", "按成绩等级分班"},
    {PresetScheme::SingleSubject, "danke", "按单科成绩分班"},
    {PresetScheme::Boarders, "Option2", "住宿生单分"},
    {PresetScheme::FastSlow, "Option1", "多次分班、分快慢班"},
};

} // namespace

Form7::Form7(const Context& ctx, QWidget* owner)
    : WizardDialog(ctx, QStringLiteral("Form7"), QStringLiteral("预设方案"), owner)
{
    build(buildOptions(), QStringLiteral("根据您的需要选择分班方案，然后单击： 下一步"),
          QStringLiteral("Command1"), QStringLiteral("Command2"));
    connect(nextButton(), &QPushButton::clicked, this, &Form7::runChosenScheme);
    connect(cancelButton(), &QPushButton::clicked, this, &Form7::cancel);
    load();
}

QString Form7::notAvailableMessage()
{
    return QStringLiteral("该预设方案在本版本中尚未提供。");
}

QGroupBox* Form7::buildOptions()
{
    QGridLayout* grid = nullptr;
    QGroupBox* frame = controlFrame(QStringLiteral("Frame1"), grid);
    int row = 0;
    for (const SchemeOption& entry : schemeOptions) {
        auto* button = new QRadioButton(QString::fromUtf8(entry.caption), frame);
        button->setObjectName(QString::fromLatin1(entry.name));
        grid->addWidget(button, row++, 0);
        m_options.at(std::size_t(entry.scheme)) = button;
    }
    return frame;
}

QRadioButton* Form7::option(PresetScheme scheme) const
{
    return m_options.at(std::size_t(scheme));
}

PresetScheme Form7::chosenScheme() const
{
    for (const SchemeOption& entry : schemeOptions)
        if (option(entry.scheme)->isChecked())
            return entry.scheme;
    return schemeOptions[0].scheme;
}

void Form7::load()
{
    option(schemeOptions[0].scheme)->setChecked(true);
}

QWidget* Form7::firstControl() const
{
    return option(chosenScheme());
}

// The students are counted first; without any the dialog stays open.
void Form7::runChosenScheme()
{
    bool students = false;
    {
        const BusyCursor busy;
        if (!reportErrors(m_ctx.prompt, [&] { students = PresetNext(m_ctx); }) || !students)
            return;
    }
    runScheme(chosenScheme());
    close();
}

// One branch per scheme, in the order the dialog tests its options.
void Form7::runScheme(PresetScheme scheme)
{
    switch (scheme) {
    case PresetScheme::FastSlow:
        emit fastSlowPanelWanted();
        break;
    case PresetScheme::Boarders:
        emit boarderPanelWanted();
        break;
    case PresetScheme::SubjectBalanced:
        subjectBalanced();
        break;
    case PresetScheme::SingleSubject:
        singleSubject();
        break;
    case PresetScheme::GradeLevel:
        gradeLevel();
        break;
    }
}

void Form7::subjectBalanced()
{
    emit subjectBalanceWanted();
}

// The panel shows only when there is a subject to offer.
void Form7::singleSubject()
{
    QStringList subjects;
    if (!reportErrors(m_ctx.prompt, [&] { subjects = SubjectButtons(m_ctx); }))
        return;
    if (!subjects.isEmpty())
        emit subjectPanelWanted(subjects);
}

void Form7::gradeLevel()
{
    bool done = false;
    {
        const BusyCursor busy;
        reportErrors(m_ctx.prompt, [&] { done = fennbandj(m_ctx); });
    }
    if (done)
        emit divided();
}

void Form7::cancel()
{
    close();
}

} // namespace quorvel
