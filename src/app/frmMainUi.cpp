// The widgets of the main window and their layout: a dense form of captions
// and fields at the top, the drug grid in the middle, the fee and drug-cost
// grids below it, the totals and the buttons on the right.

#include "frmMain.h"

#include "CharLimit.h"
#include "CodeTables.h"
#include "KVSp.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace pelmora {

namespace {
template <typename W> W* named(QWidget* parent, const QString& name) {
    auto* w = new W(parent);
    w->setObjectName(name);
    return w;
}

QLabel* valueLabel(QWidget* parent, const QString& name, int width) {
    auto* l = named<QLabel>(parent, name);
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(width);
    return l;
}

QWidget* row(QWidget* parent, std::initializer_list<QWidget*> widgets) {
    auto* box = new QWidget(parent);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(3);
    for (QWidget* w : widgets) h->addWidget(w);
    return box;
}
} // namespace

void frmMain::buildFields() {
    const char* captions[15] = {"고객명",   "주민번호", "보험종류", "발행일자", "교부번호",
                                "면허번호", "의사명",   "요양기관", "기관명",   "사용기간",
                                "상병기호", "특정기호", "조제일시", "가산/연령", "본인부담"};
    for (int i = 0; i < 15; ++i) {
        KvLabel[i] = named<QLabel>(this, QStringLiteral("KvLabel(%1)").arg(i));
        KvLabel[i]->setText(QString::fromUtf8(captions[i]));
        KvLabel[i]->setAlignment(Qt::AlignCenter);
        KvLabel[i]->setAutoFillBackground(true);
        KvLabel[i]->setFrameShape(QFrame::StyledPanel);
        KvLabel[i]->setMinimumWidth(52);
    }
    auto edit = [this](const char* name, int width, int maxLength = 0) {
        auto* e = named<QLineEdit>(this, QString::fromUtf8(name));
        e->setMinimumWidth(width);
        if (maxLength > 0) e->setValidator(new CharLimit(maxLength, e));
        return e;
    };
    txt고객명 = edit("txt고객명", 90, 20);
    txt주민번호 = edit("txt주민번호", 0, 14);
    txt주민번호->setMinimumWidth(txt주민번호->fontMetrics().horizontalAdvance(QStringLiteral("000000-0000000")) + 20);
    txt교부번호 = edit("txt교부번호", 60, 5);
    txt면허번호 = edit("txt면허번호", 70, 10);
    txt의사명 = edit("txt의사명", 80, 20);
    txt요양기관번호 = edit("txt요양기관번호", 80, 10);
    txt요양기관명 = edit("txt요양기관명", 150, 40);
    txt상병기호1 = edit("txt상병기호1", 60, 10);
    txt상병기호2 = edit("txt상병기호2", 60, 10);
    txt특정기호1 = edit("txt특정기호1", 50, 10);
    txt특정기호2 = edit("txt특정기호2", 50, 10);
    lab검증 = valueLabel(this, "lab검증", 20);
    lab성별 = valueLabel(this, "lab성별", 20);
    lab나이 = valueLabel(this, "lab나이", 28);
    lab요양기관번호 = valueLabel(this, "lab요양기관번호", 40);
    lab특정기호1 = valueLabel(this, "lab특정기호1", 28);
    lab특정기호2 = valueLabel(this, "lab특정기호2", 28);
    lab조제코드 = valueLabel(this, "lab조제코드", 90);
    lab약가갱신일 = named<QLabel>(this, "lab약가갱신일");
    lab연결정보 = named<QLabel>(this, "lab연결정보");
    lab백업 = named<QLabel>(this, "lab백업");

    cmb보험종류1 = named<QComboBox>(this, "cmb보험종류1");
    cmb보험종류2 = named<QComboBox>(this, "cmb보험종류2");
    cmb보험종류 = named<QComboBox>(this, "cmb보험종류");
    cmb보험종류->setEnabled(false); // set only by the program
    cmb시간외 = named<QComboBox>(this, "cmb시간외");
    cmb연령 = named<QComboBox>(this, "cmb연령");
    cmb본인부담여부 = named<QComboBox>(this, "cmb본인부담여부");
    for (QComboBox* c : {cmb보험종류1, cmb보험종류2, cmb보험종류, cmb시간외, cmb연령, cmb본인부담여부})
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // The class list only shows what the two lists above chose: it may give way.
    cmb보험종류->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmb보험종류->setMinimumContentsLength(7);

    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 9; ++i) {
        opt보험[i] = named<QRadioButton>(this, QStringLiteral("opt보험(%1)").arg(i));
        // Alt+1 … Alt+9 choose them in the order they stand.
        opt보험[i]->setText(QString::fromUtf8(codes::kInsShortcut[i].caption) +
                            QStringLiteral("(&%1)").arg(i + 1));
        opt보험[i]->setFocusPolicy(Qt::NoFocus); // outside the Enter path
        group->addButton(opt보험[i], i);
    }

    pvd발행일자 = named<QDateEdit>(this, "pvd발행일자");
    pvd조제일자 = named<QDateEdit>(this, "pvd조제일자");
    for (QDateEdit* d : {pvd발행일자, pvd조제일자}) {
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        d->setCalendarPopup(false);
    }
    pvt조제시간 = named<QTimeEdit>(this, "pvt조제시간");
    pvt조제시간->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    pvn사용기간 = named<QSpinBox>(this, "pvn사용기간");
    pvn사용기간->setRange(0, 999);
    pvn사용기간->setButtonSymbols(QAbstractSpinBox::NoButtons);
    pvn사용기간->setMinimumWidth(50);

    chk비급여조제료 = named<QCheckBox>(this, "chk비급여조제료");
    // Alt+B (비급여), Alt+J (자가), Alt+D (detail) tick and untick them.
    chk비급여조제료->setText(QStringLiteral("비급여 조제료 계산안함(&B)"));
    chk자가투여주사 = named<QCheckBox>(this, "chk자가투여주사");
    chk자가투여주사->setText(QStringLiteral("자가투여주사(&J)"));
    chk계산상세보기 = named<QCheckBox>(this, "chk계산상세보기");
    chk계산상세보기->setText(QStringLiteral("계산 상세보기(&D)"));
    for (QCheckBox* c : {chk비급여조제료, chk자가투여주사, chk계산상세보기}) c->setFocusPolicy(Qt::NoFocus);

    KvTitle1 = named<QLabel>(this, "KvTitle1");
    KvTitle1->setText(QStringLiteral("처방 입력"));
    KvTitle2 = named<QLabel>(this, "KvTitle2");
    KvTitle2->setText(QStringLiteral("계산 결과"));
    for (QLabel* t : {KvTitle1, KvTitle2}) {
        QFont f = t->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() + 2);
        t->setFont(f);
    }
}

void frmMain::buildButtons() {
    auto button = [this](const char* name, const char* caption) {
        auto* b = named<QPushButton>(this, QString::fromUtf8(name));
        b->setText(QString::fromUtf8(caption));
        b->setFocusPolicy(Qt::NoFocus); // the keys reach every button
        b->setMinimumHeight(30);
        return b;
    };
    cmd추가 = button("cmd추가", "추가 (F7)");
    cmd삭제 = button("cmd삭제", "삭제 (F8)");
    cmd초기화 = button("cmd초기화", "초기화 (F2)");
    cmd조제내역 = button("cmd조제내역", "조제내역 (F3)");
    cmd저장 = button("cmd저장", "저장 (F9)");
    cmd영수증 = button("cmd영수증", "영수증 (F4)");
    cmd집계 = button("cmd집계", "조제집계 (F5)");
    cmd약가 = button("cmd약가", "약가파일 (F6)");
    cmd설정 = button("cmd설정", "환경설정 (F12)");
    cmd백업 = button("cmd백업", "백업 (Ctrl+B)");
    cmd종료 = button("cmd종료", "종료 (Esc)");
}

void frmMain::layoutWindow() {
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(4);
    form->setVerticalSpacing(3);
    auto pair = [&](int r, int c, int label, QWidget* field, int span = 1) {
        form->addWidget(KvLabel[label], r, c * 2);
        form->addWidget(field, r, c * 2 + 1, 1, span * 2 - 1);
    };
    pair(0, 0, 0, txt고객명);
    pair(0, 1, 1, row(this, {txt주민번호, lab검증, lab성별, lab나이}));
    pair(0, 2, 12, row(this, {pvd조제일자, pvt조제시간}));
    pair(0, 3, 13, row(this, {cmb시간외, cmb연령}));
    pair(1, 0, 2, row(this, {cmb보험종류1, cmb보험종류2, cmb보험종류}), 2);
    pair(1, 2, 3, pvd발행일자);
    pair(1, 3, 4, txt교부번호);
    auto* opts = new QFrame(this);
    opts->setFrameShape(QFrame::StyledPanel);
    auto* optRow = new QHBoxLayout(opts);
    optRow->setContentsMargins(8, 1, 8, 1);
    for (QRadioButton* o : opt보험) optRow->addWidget(o);
    form->addWidget(opts, 2, 0, 1, 8);
    pair(3, 0, 5, txt면허번호);
    pair(3, 1, 6, txt의사명);
    pair(3, 2, 7, row(this, {txt요양기관번호, lab요양기관번호}));
    pair(3, 3, 8, txt요양기관명);
    pair(4, 0, 10, row(this, {txt상병기호1, txt상병기호2}));
    pair(4, 1, 11, row(this, {txt특정기호1, lab특정기호1, txt특정기호2, lab특정기호2}));
    pair(4, 2, 9, pvn사용기간);
    pair(4, 3, 14, cmb본인부담여부);
    for (int c = 1; c < 8; c += 2) form->setColumnStretch(c, 1);

    auto* title = new QHBoxLayout;
    title->addWidget(KvTitle1);
    title->addStretch(1);
    title->addWidget(new QLabel(QStringLiteral("조제코드"), this));
    title->addWidget(lab조제코드);
    title->addSpacing(12);
    title->addWidget(lab약가갱신일);
    title->addSpacing(12);
    title->addWidget(lab연결정보);
    title->addSpacing(12);
    title->addWidget(lab백업);

    auto* results = new QHBoxLayout;
    results->addWidget(sp수가, 4, Qt::AlignTop);
    results->addWidget(sp약가, 7, Qt::AlignTop);

    auto* left = new QVBoxLayout;
    left->addLayout(title);
    left->addLayout(form);
    left->addWidget(sp처방, 1);
    left->addLayout(results);

    auto* buttons = new QGridLayout;
    const std::array<QPushButton*, 12> all = {cmd추가, cmd삭제, cmd초기화, cmd조제내역, cmd저장,  cmd영수증,
                                              cmd집계, cmd약가, cmd설정, cmd백업, nullptr, cmd종료};
    for (int i = 0; i < 12; ++i)
        if (QPushButton* b = all[static_cast<std::size_t>(i)]) buttons->addWidget(b, i / 2, i % 2);
    auto* right = new QVBoxLayout;
    right->addWidget(KvTitle2);
    right->addWidget(sp계산);
    right->addWidget(chk비급여조제료);
    right->addWidget(chk자가투여주사);
    right->addWidget(chk계산상세보기);
    right->addStretch(1);
    right->addLayout(buttons);

    auto* main = new QHBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 4);
    main->addLayout(left, 1);
    main->addLayout(right, 0);
}

} // namespace pelmora
