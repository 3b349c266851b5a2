#include "shell/design_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <iterator>

#include "shell/design_settings.h"
#include "shell/qt_text.h"

namespace lintavo {

namespace {

QLineEdit* numberEdit(const char* name, const QString& placeholder) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    edit->setPlaceholderText(placeholder);
    return edit;
}

QComboBox* choices(const char* name, const QStringList& items) {
    auto* box = new QComboBox;
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    return box;
}

// A number typed into the dialog, as the settings' own reader takes it: "" stays "none".
std::string typed(const QLineEdit* edit) {
    const QString text = edit->text().trimmed();
    return text.isEmpty() ? std::string("none") : utf8(text);
}

// The rank as the settings' reader takes it, from the combo's row in CanalRank's order.
std::string rankKey(int index) {
    constexpr const char* keys[] = {"none", "main", "lateral", "sub-lateral", "field"};
    return index >= 0 && index < static_cast<int>(std::size(keys)) ? keys[index] : "none";
}

QString withUnit(const std::optional<double>& x) {
    return x ? QString::number(*x, 'g', 9) : QString();
}

// Table 6.3.4's bands by design flow, as the standard's function gives them, and the range
// a given percentage is taken in: "Qd < 1 m³/s：35%~30%；1~5：30%~25%；…".
QString enlargementBands() {
    const double edges[] = {0, 1, 5, 20, 50, 100, 300};
    QStringList bands;
    for (std::size_t k = 0; k < std::size(edges); ++k) {
        const auto [large, small] = enlargementBand(edges[k]);
        const QString flows = k == 0 ? QStringLiteral("Qd < %1 m³/s").arg(edges[1])
                              : k + 1 == std::size(edges)
                                  ? QStringLiteral("≥ %1").arg(edges[k])
                                  : QStringLiteral("%1~%2").arg(edges[k]).arg(edges[k + 1]);
        bands.append(large == small
                         ? QStringLiteral("%1：%2%").arg(flows).arg(large)
                         : QStringLiteral("%1：%2%~%3%").arg(flows).arg(large).arg(small));
    }
    // Two lines, the larger flows on the second.
    return QStringLiteral("表 6.3.4：%1；\n%2。给定值取 0~%3%。")
        .arg(bands.mid(0, 4).join(QStringLiteral("；")), bands.mid(4).join(QStringLiteral("；")))
        .arg(maxEnlargement);
}

}  // namespace

DesignSettingsDialog::DesignSettingsDialog(QWidget* parent)
    : QDialog(parent),
      use_(choices("use", {QStringLiteral("灌溉渠道"), QStringLiteral("排水沟道")})),
      class_(
          choices("class", {QStringLiteral("自动（按设计流量，表 3.1.5）"), QStringLiteral("1 级"),
                            QStringLiteral("2 级"), QStringLiteral("3 级"), QStringLiteral("4 级"),
                            QStringLiteral("5 级")})),
      supply_(choices("supply", {QStringLiteral("续灌（设计、加大、最小流量）"),
                                 QStringLiteral("轮灌（只按设计流量）")})),
      enlargement_(new QButtonGroup(this)),
      percentage_(numberEdit("percentage", QStringLiteral("例如 25"))),
      minimum_(numberEdit("minimum", QStringLiteral("40"))),
      bed_(new QComboBox),
      density_(choices("density", {QStringLiteral("疏松（α = 1/4~1/3）"),
                                   QStringLiteral("中等密实和密实（α = 1/5~1/4）")})),
      silted_(new QCheckBox(QStringLiteral("挟沙水流，渠床有薄淤层（取附录 C 的大值，6.3.11）"))),
      nonSilting_(numberEdit("nonSilting", QStringLiteral("未给定"))),
      bend_(numberEdit("bend", QStringLiteral("未给定（直段）"))),
      earthwork_(choices("earthwork", {QStringLiteral("挖方（表 6.4.4）"),
                                       QStringLiteral("填方、半挖半填（表 6.4.7 内坡）")})),
      slopeSoil_(new QComboBox),
      liningFreeboard_(numberEdit("liningFreeboard", QStringLiteral("0.3"))),
      rank_(choices("rank",
                    {QStringLiteral("未给定（不校核堤顶宽度）"), QStringLiteral("干渠"),
                     QStringLiteral("支渠"), QStringLiteral("斗渠"), QStringLiteral("农渠")})),
      district_(choices("district", {QStringLiteral("不小于 667 hm²"),
                                     QStringLiteral("小于 667 hm²（堤顶宽度可减小）")})),
      problem_(new QLabel) {
    setObjectName(QStringLiteral("校核设置"));
    setWindowTitle(QStringLiteral("校核设置"));
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* enlargement = new QWidget;
    auto* enlargementRow = new QHBoxLayout(enlargement);
    enlargementRow->setContentsMargins(0, 0, 0, 0);
    const QString enlargementTexts[] = {QStringLiteral("干旱地区取大值"),
                                        QStringLiteral("湿润地区取小值"), QStringLiteral("给定：")};
    for (int k = 0; k < 3; ++k) {
        auto* button = new QRadioButton(enlargementTexts[k]);
        enlargement_->addButton(button, k);
        enlargementRow->addWidget(button);
    }
    enlargementRow->addWidget(percentage_);
    enlargementRow->addWidget(new QLabel(QStringLiteral("%")));
    auto* bands = new QLabel(enlargementBands());
    bands->setObjectName(QStringLiteral("bands"));
    QPalette grey = bands->palette();
    grey.setColor(QPalette::WindowText, QColor(80, 80, 80));  // the table's, beside the settings
    bands->setPalette(grey);
    percentage_->setToolTip(bands->text());

    bed_->setObjectName(QStringLiteral("bed"));
    bed_->addItem(QStringLiteral("未选择（不校核不冲流速）"), QString());
    QString lastTable;
    for (const Bed& bed : bedTables().beds) {
        const QString table = qstr(bed.table->number);
        if (table != lastTable) {
            bed_->insertSeparator(bed_->count());
            lastTable = table;
        }
        bed_->addItem(QStringLiteral("%1（表 %2）").arg(qstr(bed.name), table), qstr(bed.name));
    }
    silted_->setObjectName(QStringLiteral("silted"));
    slopeSoil_->setObjectName(QStringLiteral("slopeSoil"));
    slopeSoil_->addItem(QStringLiteral("按渠床材料"), QString());
    if (const StandardTable* cut = bedTables().cutSlopes) {
        for (const StandardRow& row : cut->rows)
            slopeSoil_->addItem(qstr(row.name), qstr(row.name));
    }
    liningFreeboard_->setToolTip(
        QStringLiteral("衬砌顶高出设计水位 0.3~0.8 m，且不低于加大水位；"
                       "兼作泄洪的傍山渠道取大值（6.4.8 条第 6 款）"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("用途"), use_);
    form->addRow(QStringLiteral("渠道级别"), class_);
    form->addRow(QStringLiteral("供水方式"), supply_);
    form->addRow(QStringLiteral("加大百分数（表 6.3.4）"), enlargement);
    form->addRow(QString(), bands);
    const auto withSuffix = [](QLineEdit* edit, const QString& unit) {
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(edit);
        layout->addWidget(new QLabel(unit));
        return row;
    };
    form->addRow(QStringLiteral("最小流量百分数（6.3.5）"),
                 withSuffix(minimum_, QStringLiteral("%")));
    form->addRow(QStringLiteral("渠床材料（附录 C）"), bed_);
    form->addRow(QStringLiteral("黏性土密实程度"), density_);
    form->addRow(QString(), silted_);
    form->addRow(QStringLiteral("不淤流速（6.3.12）"),
                 withSuffix(nonSilting_, QStringLiteral("m/s")));
    form->addRow(QStringLiteral("弯道中心线半径（6.2.5）"), withSuffix(bend_, QStringLiteral("m")));
    form->addRow(QStringLiteral("挖填方（边坡系数）"), earthwork_);
    form->addRow(QStringLiteral("边坡土质（表 6.4.4、6.4.7、7.2.10）"), slopeSoil_);
    form->addRow(QStringLiteral("衬砌超高（6.4.8）"),
                 withSuffix(liningFreeboard_, QStringLiteral("m")));
    form->addRow(QStringLiteral("渠道类别（6.4.9）"), rank_);
    form->addRow(QStringLiteral("灌区面积"), district_);

    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setStyleSheet(QStringLiteral("color: #c00000"));
    problem_->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QPushButton* defaults =
        buttons->addButton(QStringLiteral("恢复默认"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("defaults"));
    connect(buttons, &QDialogButtonBox::accepted, this, &DesignSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DesignSettingsDialog::reject);
    connect(defaults, &QPushButton::clicked, this, [this] { fill(DesignSettings{}); });
    connect(enlargement_, &QButtonGroup::idToggled, this, [this] { updateEnabled(); });
    connect(bed_, &QComboBox::currentIndexChanged, this, [this] { updateEnabled(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
    fill(designSettings());
}

void DesignSettingsDialog::fill(const DesignSettings& s) {
    use_->setCurrentIndex(s.use == CanalUse::Irrigation ? 0 : 1);
    class_->setCurrentIndex(s.canalClass);
    supply_->setCurrentIndex(s.supply == Supply::Continuous ? 0 : 1);
    enlargement_->button(static_cast<int>(s.enlargement))->setChecked(true);
    percentage_->setText(s.enlargement == Enlargement::Percentage
                             ? QString::number(s.percentage, 'g', 9)
                             : QString());
    minimum_->setText(QString::number(s.minimumPercentage, 'g', 9));
    const int bed = bed_->findData(qstr(s.bed));
    bed_->setCurrentIndex(bed < 0 ? 0 : bed);
    density_->setCurrentIndex(s.density == Density::Loose ? 0 : 1);
    silted_->setChecked(s.siltLaden);
    nonSilting_->setText(withUnit(s.nonSilting));
    bend_->setText(withUnit(s.bendRadius));
    earthwork_->setCurrentIndex(s.earthwork == Earthwork::Cut ? 0 : 1);
    const int soil = slopeSoil_->findData(qstr(s.slopeSoil));
    slopeSoil_->setCurrentIndex(soil < 0 ? 0 : soil);
    liningFreeboard_->setText(QString::number(s.liningFreeboard, 'g', 9));
    rank_->setCurrentIndex(static_cast<int>(s.rank));
    district_->setCurrentIndex(s.largeDistrict ? 0 : 1);
    problem_->clear();
    updateEnabled();
}

void DesignSettingsDialog::updateEnabled() {
    percentage_->setEnabled(enlargement_->checkedId() == static_cast<int>(Enlargement::Percentage));
    const Bed* bed = bedTables().find(utf8(bed_->currentData().toString()));
    density_->setEnabled(bed != nullptr && bed->kind == StandardKind::Cohesive);
}

DesignSettings DesignSettingsDialog::edited(QString* problem) const {
    DesignSettings s;
    const std::pair<std::string, std::string> keys[] = {
        {"use", use_->currentIndex() == 0 ? "irrigation" : "drainage"},
        {"class", class_->currentIndex() == 0 ? std::string("auto")
                                              : std::to_string(class_->currentIndex())},
        {"supply", supply_->currentIndex() == 0 ? "continuous" : "rotational"},
        {"enlarge", enlargement_->checkedId() == 0   ? std::string("large")
                    : enlargement_->checkedId() == 1 ? std::string("small")
                                                     : typed(percentage_)},
        {"minimum", typed(minimum_)},
        {"bed",
         bed_->currentIndex() == 0 ? std::string("none") : utf8(bed_->currentData().toString())},
        {"density", density_->currentIndex() == 0 ? "loose" : "dense"},
        {"silted", silted_->isChecked() ? "yes" : "no"},
        {"silt", typed(nonSilting_)},
        {"bend", typed(bend_)},
        {"earthwork", earthwork_->currentIndex() == 0 ? "cut" : "fill"},
        {"slope-soil", slopeSoil_->currentIndex() == 0
                           ? std::string("bed")
                           : utf8(slopeSoil_->currentData().toString())},
        {"lining-freeboard", typed(liningFreeboard_)},
        {"rank", rankKey(rank_->currentIndex())},
        {"district", district_->currentIndex() == 0 ? "large" : "small"},
    };
    problem->clear();
    for (const auto& [key, value] : keys) {
        const std::string refused = applyDesignSetting(s, key, value, bedTables());
        if (!refused.empty() && problem->isEmpty()) *problem = qstr(refused);
    }
    return s;
}

void DesignSettingsDialog::accept() {
    QString problem;
    const DesignSettings s = edited(&problem);
    if (!problem.isEmpty()) {
        problem_->setText(problem);
        return;
    }
    if (keeper_) {
        keeper_(s);
    } else {
        setDesignSettings(s);
    }
    QDialog::accept();
}

void openDesignSettings(QWidget* parent) {
    auto* dialog = new DesignSettingsDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}

}  // namespace lintavo
