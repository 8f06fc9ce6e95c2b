#include "form7.h"

#include "shell/common/qtprompt.h"

#include "adjust/schemeregistry.h"
#include "core/errors.h"
#include "public/stage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace quorvel {

namespace {

// The options from top to bottom: the registered schemes the dialog offers.
QVector<const Scheme*> presetSchemes()
{
    QVector<const Scheme*> out;
    for (const Scheme* s : schemeRegistry())
        if (s->preset)
            out.append(s);
    return out;
}

// Whether the stage of schooling forbids the schemes that rank classes;
// a database that cannot be read forbids nothing here (the division says why).
bool rankingForbidden(const Context& ctx)
{
    try {
        return ReadSchoolStage(ctx) == SchoolStage::Compulsory;
    } catch (const OperationError&) {
        return false;
    }
}

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
    const bool forbidden = rankingForbidden(m_ctx);
    for (const Scheme* scheme : presetSchemes()) {
        auto* button = new QRadioButton(scheme->presetCaption, frame);
        button->setObjectName(scheme->presetOption);
        if (forbidden && scheme->ranksClasses) { // greyed, with the reason
            button->setEnabled(false);
            button->setToolTip(compulsoryRankingMessage());
        }
        grid->addWidget(button, row++, 0);
        m_options.at(std::size_t(*scheme->preset)) = button;
    }
    return frame;
}

QRadioButton* Form7::option(PresetScheme scheme) const
{
    return m_options.at(std::size_t(scheme));
}

PresetScheme Form7::chosenScheme() const
{
    const QVector<const Scheme*> schemes = presetSchemes();
    for (const Scheme* scheme : schemes)
        if (option(*scheme->preset)->isChecked())
            return *scheme->preset;
    return *schemes.first()->preset;
}

void Form7::load()
{
    option(*presetSchemes().first()->preset)->setChecked(true);
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
