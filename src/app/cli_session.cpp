// acremark-cli session SCRIPT.jsonl [--out STATE.json]: a script of user actions applied to the
// main window's session, one JSON object per line, and the state it leaves printed as JSON.
// It serves behaviour tests (tests/cases) and anyone checking a behaviour by hand.
#include "app/cli_commands.h"
#include "app/cli_json.h"
#include "app/cli_reference.h"
#include "editor/main_session.h"
#include "editor/scripted_prompts.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <strings.h>

namespace acremark {

namespace {

// A line of the script that cannot be applied: the script itself is wrong.
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The text an edit receives for a JSON value: numbers as typed, null as an empty edit.
std::string EditText(const QJsonValue& v) {
    if (v.isNull() || v.isUndefined()) return {};
    if (v.isString()) return v.toString().toStdString();
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15) return std::to_string(int64_t(d));
        return RoundTripDouble(d);
    }
    if (v.isBool()) return v.toBool() ? "True" : "False";
    throw ScriptError("a text or a number was expected");
}

int Int(const QJsonValue& v, const char* what) {
    if (!v.isDouble() || v.toDouble() != std::floor(v.toDouble()))
        throw ScriptError(std::string(what) + " must be a whole number");
    return v.toInt();
}

bool YesNo(const QJsonObject& o, const char* key, bool byDefault) {
    if (!o.contains(key)) return byDefault;
    const QString a = o[key].toString();
    if (a == "yes") return true;
    if (a == "no") return false;
    throw ScriptError(std::string("\"") + key + "\" takes \"yes\" or \"no\"");
}

std::string AbsolutePath(const QJsonValue& v) {
    if (!v.isString()) throw ScriptError("a file name was expected");
    // As a file dialog returns it: a full path.
    return std::filesystem::absolute(v.toString().toStdString()).lexically_normal().string();
}

// The program's line breaks ("\r", "\r\n") as "\n".
QString Lines(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return Q(out);
}

// The malt barley dialog typed from the script's values, or closed at once.
class ScriptedMaltDialog : public MaltDialogRunner {
public:
    QJsonObject values;
    void Execute(TMaltBarleyForm& form) override {
        for (auto it = values.begin(); it != values.end(); ++it) {
            const auto field = FieldIndexOf(it.key().toStdString());
            if (field == fMaltBarley) {
                auto d = ParseDouble(EditText(it.value()));
                if (d) form.SetSpinValue(int(std::lround(std::clamp(*d, -1.0, 101.0))));
                continue;
            }
            for (int tag = 1; tag <= 6; ++tag)
                if (field == TMaltBarleyForm::FieldOfTag(tag)) {
                    form.SetFocusTag(tag);
                    form.EditTextChanged(tag, EditText(it.value()));
                    form.StoreEdit(tag);
                }
        }
    }
};

class SessionDriver {
public:
    explicit SessionDriver(std::shared_ptr<const TReferenceTables> tables)
        : session_(prompts_, settings_, welcome_, ProgramPath()) {
        session_.DataModuleCreate(std::move(tables));
        session_.SetMaltDialogRunner(&malt_);
        session_.FormShow();
    }

    void Apply(const QJsonObject& action);
    QJsonObject State() const;

private:
    static std::string ProgramPath() {
        // As the desktop program beside this one would name its default file.
        if (QCoreApplication::instance())
            return (QCoreApplication::applicationDirPath() + "/acremark").toStdString();
        return "acremark";
    }
    TCropFrame& Column(const QJsonValue& k) {
        const int c = Int(k, "the column");
        if (c < 1 || c > TCrops::kColumns) throw ScriptError("columns are numbered 1 to 32");
        return session_.Crops.Crop(c);
    }
    // The user clicks a column's control: it takes the focus when it can.
    bool Click(TCropFrame& f, int tag) { return session_.Crops.FocusCell(f.FieldID, tag); }
    std::optional<int> Code(const QJsonValue& v, const char* what) {
        if (v.isNull()) return std::nullopt;
        return Int(v, what);
    }
    QJsonArray Pair(const QJsonObject& action, const char* key, int size) {
        const QJsonArray a = action[key].toArray();
        if (!action[key].isArray() || a.size() != size)
            throw ScriptError(std::string("\"") + key + "\" takes a list of " +
                              std::to_string(size));
        return a;
    }

    ScriptedPrompts prompts_;
    MemorySettings settings_{false};
    AnsweredWelcome welcome_{false};
    ScriptedMaltDialog malt_;
    TMainSession session_;
};

const char* const kActions[] = {"location",
                                "soil",
                                "scenario",
                                "copy_from",
                                "clear",
                                "description",
                                "header",
                                "add_field",
                                "crop",
                                "practice",
                                "coverage",
                                "crop_typeahead",
                                "practice_typeahead",
                                "coverage_typeahead",
                                "insurance",
                                "type",
                                "malt",
                                "focus",
                                "key",
                                "run",
                                "common_seed",
                                "targets",
                                "save",
                                "open",
                                "start_file",
                                "close"};
const char* const kModifiers[] = {"answer", "copy", "leave", "save_as"};

void SessionDriver::Apply(const QJsonObject& action) {
    QString name;
    for (auto it = action.begin(); it != action.end(); ++it) {
        const std::string key = it.key().toStdString();
        if (std::find_if(std::begin(kActions), std::end(kActions),
                         [&](const char* a) { return key == a; }) != std::end(kActions)) {
            if (!name.isEmpty()) throw ScriptError("one action per line");
            name = it.key();
        } else if (std::find_if(std::begin(kModifiers), std::end(kModifiers),
                                [&](const char* m) { return key == m; }) == std::end(kModifiers)) {
            throw ScriptError("unknown action \"" + key + "\"");
        }
    }
    if (name.isEmpty()) throw ScriptError("no action");
    if (session_.Closed) return; // the program has ended
    TMainSession& s = session_;
    prompts_.ClearAnswers();
    const QJsonValue v = action[name];

    if (name == "location") {
        const QJsonArray a = Pair(action, "location", 3);
        if (!s.Crops.LeaveFocus()) return;
        for (int i = 0; i < 3; ++i) {
            s.DBEdit1Change(i, EditText(a[i]));
            s.LocationEditExit(i);
        }
    } else if (name == "soil") {
        const int index = Int(v, "the soil zone");
        if (!s.Crops.LeaveFocus()) return;
        if (s.ComboBoxSoilType.Enabled) s.ComboBoxSoilTypeChange(index);
    } else if (name == "scenario") {
        const int q = Int(v, "the scenario");
        if (q < 1 || q > kScenarioCount) throw ScriptError("scenarios are numbered 1 to 8");
        const int p = action.contains("copy") ? Int(action["copy"], "\"copy\"") : 0;
        prompts_.CopyAnswers = {{YesNo(action, "answer", false), p}};
        s.ComboBoxScenarioChange(q);
    } else if (name == "copy_from") {
        s.miScenario1Click(Int(v, "the scenario"));
    } else if (name == "clear") {
        s.miClearCurrentScenarioClick();
    } else if (name == "description") {
        if (!s.Crops.LeaveFocus()) return;
        s.EditScenarioDescriptionChange(EditText(v));
    } else if (name == "header") {
        TCropFrame& f = Column(v);
        prompts_.YesNoAnswers = {YesNo(action, "answer", false)};
        s.HeaderControl1SectionClick(f.FieldID);
    } else if (name == "add_field") {
        s.AddAField1Click();
    } else if (name == "crop" || name == "practice" || name == "coverage") {
        const QJsonArray a = Pair(action, name.toUtf8().constData(), 2);
        TCropFrame& f = Column(a[0]);
        const auto code = Code(a[1], "the code");
        const int tag = name == "crop" ? 3 : name == "practice" ? 4 : kTagCoverageLevel;
        if (!Click(f, tag)) return;
        if (name == "crop")
            f.DBLookupComboBoxCropClick(code);
        else if (name == "practice")
            f.DBLookupComboBoxSFIClick(code);
        else
            f.DBLookupComboBoxCIClick(code);
    } else if (name.endsWith("_typeahead")) {
        // The box takes the focus, the letters arrive one by one, and the choice settles when
        // the focus leaves the box (unless "leave" is false).
        const QJsonArray a = Pair(action, name.toUtf8().constData(), 2);
        TCropFrame& f = Column(a[0]);
        if (!a[1].isString()) throw ScriptError("\"" + name.toStdString() + "\" takes a text");
        const int tag = name.startsWith("crop")       ? 3
                        : name.startsWith("practice") ? 4
                                                      : kTagCoverageLevel;
        if (!Click(f, tag)) return;
        std::string typed;
        for (char ch : a[1].toString().toStdString()) {
            typed += ch;
            f.LookupTypeAhead(tag, typed);
        }
        if (!action.contains("leave") || action["leave"].toBool()) s.Crops.LeaveFocus();
    } else if (name == "insurance") {
        const QJsonArray a = Pair(action, "insurance", 2);
        TCropFrame& f = Column(a[0]);
        if (!a[1].isBool()) throw ScriptError("\"insurance\" takes true or false");
        if (!Click(f, kTagInsurance)) return;
        if (f.Record().AsBoolean(fInsurance) != a[1].toBool()) f.DBCheckBoxCIClick(a[1].toBool());
    } else if (name == "type") {
        const QJsonArray a = Pair(action, "type", 3);
        TCropFrame& f = Column(a[0]);
        const auto field = FieldIndexOf(a[1].toString().toStdString());
        if (!field) throw ScriptError("no field \"" + a[1].toString().toStdString() + "\"");
        const TFrameControl* c = FrameControlByField(*field);
        if (!c || c->Kind == ControlKind::Lookup || c->Kind == ControlKind::CheckBox)
            throw ScriptError("\"" + a[1].toString().toStdString() + "\" has no edit");
        const std::string text = EditText(a[2]);
        if (!Click(f, c->Tag)) return;
        // Entering a malt barley price opens its dialog, which leaves the focus elsewhere.
        if (s.Crops.Focus == TCellPos{f.FieldID, c->Tag}) f.EditTextChanged(c->Tag, text);
        if (!action.contains("leave") || action["leave"].toBool()) s.Crops.LeaveFocus();
    } else if (name == "malt") {
        const QJsonArray a = Pair(action, "malt", 2);
        TCropFrame& f = Column(a[0]);
        if (!a[1].isObject()) throw ScriptError("\"malt\" takes a column and the typed values");
        const QJsonObject values = a[1].toObject();
        for (auto it = values.begin(); it != values.end(); ++it) {
            const auto field = FieldIndexOf(it.key().toStdString());
            if (!field || (*field != fMaltBarley && (*field < fPriceLow || *field > fPriceMost) &&
                           (*field < fPriceLow2 || *field > fPriceMost2)))
                throw ScriptError("the malt barley dialog has no \"" + it.key().toStdString() +
                                  "\"");
        }
        if (s.Crops.Focus == TCellPos{f.FieldID, 9}) s.Crops.LeaveFocus();
        malt_.values = values;
        Click(f, 9);
        malt_.values = {};
    } else if (name == "focus") {
        const QJsonArray a = Pair(action, "focus", 2);
        TCropFrame& f = Column(a[0]);
        const int row = Int(a[1], "the row");
        if (row < 1 || row > kRowCount) throw ScriptError("rows are numbered 1 to 38");
        Click(f, row);
    } else if (name == "key") {
        static const std::pair<const char*, NavKey> keys[] = {{"Enter", NavKey::Enter},
                                                              {"Down", NavKey::Down},
                                                              {"Up", NavKey::Up},
                                                              {"Left", NavKey::Left},
                                                              {"Right", NavKey::Right}};
        const std::string k = v.toString().toStdString();
        auto it = std::find_if(std::begin(keys), std::end(keys),
                               [&](const auto& p) { return k == p.first; });
        if (it == std::end(keys)) throw ScriptError("keys are Enter, Down, Up, Left and Right");
        s.FormKeyDown(it->second);
    } else if (name == "run") {
        const QJsonObject o = v.toObject();
        if (o.contains("iterations")) {
            const int n = Int(o["iterations"], "the iterations");
            auto it = std::find(kIterationChoices.begin(), kIterationChoices.end(), n);
            if (it == kIterationChoices.end())
                throw ScriptError("the iterations are 1000, 5000 or 10000");
            s.RadioGroupIteration = int(it - kIterationChoices.begin());
        }
        s.RunSeed.reset();
        if (o.contains("seed")) {
            const double seed = o["seed"].toDouble(-1);
            if (seed < 0 || seed > 4294967295.0 || seed != std::floor(seed))
                throw ScriptError("the seed is a number from 0 to 4294967295");
            s.RunSeed = uint32_t(seed);
        }
        s.BitBtn1Click();
    } else if (name == "common_seed") {
        // The option "Use the same random numbers for every scenario" with its seed; null off.
        if (v.isNull()) {
            s.SetCommonSeed(std::nullopt);
        } else {
            const double seed = v.toDouble(-1);
            if (!v.isDouble() || seed < 0 || seed > 4294967295.0 || seed != std::floor(seed))
                throw ScriptError("the common seed is a number from 0 to 4294967295, or null");
            s.SetCommonSeed(uint32_t(seed));
        }
    } else if (name == "targets") {
        const QJsonArray a = Pair(action, "targets", 3);
        if (!s.Crops.LeaveFocus()) return;
        for (int i = 0; i < 3; ++i)
            s.SetTargetText(10 + i, EditText(a[i]));
    } else if (name == "start_file") {
        // The program started with this file named on its command line, as given.
        if (!v.isString()) throw ScriptError("a file name was expected");
        s.OpenAtStart(v.toString().toStdString());
    } else if (name == "save" || name == "open") {
        prompts_.FileNames = {v.isNull() ? std::optional<std::string>() : AbsolutePath(v)};
        if (name == "save")
            s.BitBtnSaveClick();
        else
            s.BitBtnOpenClick();
    } else if (name == "close") {
        const QString a = v.toString();
        if (a != "yes" && a != "no" && a != "cancel")
            throw ScriptError("\"close\" takes \"yes\", \"no\" or \"cancel\"");
        prompts_.YesNoCancelAnswers = {a == "yes"  ? PromptAnswer::Yes
                                       : a == "no" ? PromptAnswer::No
                                                   : PromptAnswer::Cancel};
        const QJsonValue saveAs = action["save_as"];
        prompts_.FileNames = {saveAs.isString() ? std::optional(AbsolutePath(saveAs))
                                                : std::nullopt};
        s.FormCloseQuery();
    }
    prompts_.ClearAnswers();
}

QJsonObject Record(const FieldRecord& r) {
    QJsonObject o;
    for (int i = 0; i < kFieldCount; ++i)
        o[QString::fromUtf8(FieldDef(i).name.data(), qsizetype(FieldDef(i).name.size()))] =
            ToJson(r.Get(i));
    return o;
}

template <typename T> QJsonArray Eight(const std::array<T, kScenarioCount>& v) {
    QJsonArray a;
    for (const auto& x : v) {
        if constexpr (std::is_same_v<T, std::string>)
            a.append(Q(x));
        else
            a.append(int(x));
    }
    return a;
}

QJsonObject SessionDriver::State() const {
    const TMainSession& s = session_;
    QJsonObject st;
    st["title"] = Q(s.Caption);
    st["scenario"] = s.CurrentScenario();
    st["file_name"] = Q(s.RiskData.FileName);
    st["panel_file_name"] = Q(s.PanelFileName);
    st["closed"] = s.Closed;
    st["location"] = QJsonObject{{"township", Q(s.LocationEdit[0])},
                                 {"range", Q(s.LocationEdit[1])},
                                 {"meridian", Q(s.LocationEdit[2])},
                                 {"code", int(s.dmRisk.LocationCode)}};
    st["soil_zone_index"] = Eight(s.dmRisk.SoilZoneIndex);
    st["risk_area_index"] = Eight(s.dmRisk.RiskAreaIndex);
    st["descriptions"] = Eight(s.dmRisk.ScenarioDescriptions);
    st["description"] = Q(s.EditScenarioDescription);
    st["soil_zone"] = s.ComboBoxSoilType.ItemIndex;
    st["risk_area"] = s.ComboBoxRiskArea.ItemIndex;
    st["soil_enabled"] = s.ComboBoxSoilType.Enabled;
    st["soil_color"] = CellColorName(s.ComboBoxSoilType.Color);
    st["soil_warning"] = s.SoilZoneWarning();
    QJsonArray crops, practices;
    for (const TCropRow* r : s.dmRisk.FilteredCrops())
        crops.append(r->Code);
    for (const TCodeRow* r : s.dmRisk.FilteredPractices())
        practices.append(r->Code);
    st["crop_list"] = crops;
    st["practice_list"] = practices;
    st["iterations"] = s.Iterations();

    QJsonArray columns;
    for (int k = 1; k <= s.Crops.Count(); ++k) {
        const TCropFrame& f = s.Crops.Crop(k);
        QJsonObject c;
        c["column"] = k;
        c["shown"] = f.Shown();
        c["enabled"] = f.Enabled;
        c["header"] = Q(f.Section.Text);
        c["image"] = SectionImageName(f.Section.Image);
        c["no_crop_field"] = f.NoCropField;
        c["record"] = f.Shown() ? QJsonValue(Record(f.Record())) : QJsonValue();
        if (f.Shown()) {
            QJsonObject cells;
            for (const TFrameControl& ctl : FrameControls()) {
                if (!f.ControlVisible(ctl.Tag)) continue;
                const auto& n = FieldDef(ctl.Field).name;
                cells[QString::fromUtf8(n.data(), qsizetype(n.size()))] =
                    QJsonObject{{"text", Q(f.CellText(ctl.Tag))},
                                {"enabled", f.Control(ctl.Tag).Enabled},
                                {"color", CellColorName(f.DrawnColor(ctl.Tag))}};
            }
            c["cells"] = cells;
        }
        columns.append(c);
    }
    st["columns"] = columns;
    st["crop_count"] = s.Crops.CropCount;
    st["active_crop"] = s.Crops.ActiveCrop;

    QJsonArray store;
    for (const FieldRecord& r : s.dmRisk.cdsRisk)
        store.append(Record(r));
    st["store"] = store;

    QJsonArray messages;
    for (const PromptRecord& m : prompts_.Shown)
        messages.append(QJsonObject{{"caption", Lines(m.caption)}, {"text", Lines(m.text)}});
    st["messages"] = messages;

    st["focus"] = s.Crops.Focus ? QJsonValue(QJsonObject{{"column", s.Crops.Focus->Column},
                                                         {"row", s.Crops.Focus->Tag % 100}})
                                : QJsonValue();
    st["active_row"] = s.Crops.ActiveRow;

    QJsonObject grid;
    for (int col = 0; col <= kScenarioCount; ++col) {
        QJsonObject rows;
        for (int row = Row(col == 0 ? GridRow::ChanceBelowZero : GridRow::CMMean);
             row <= Row(GridRow::MarginAtChance); ++row)
            rows[QString::number(row)] = Q(s.Runs.Grid().Cell(col, row));
        grid[QString::number(col)] = rows;
    }
    st["grid"] = grid;
    QJsonArray status;
    for (const auto& p : s.StatusBar1.Panels)
        status.append(Q(p));
    st["status"] = status;
    st["common_seed"] = s.CommonSeed() ? QJsonValue(qint64(*s.CommonSeed())) : QJsonValue();
    return st;
}

int CmdSession(CliContext& ctx) {
    if (ctx.args.size() != 1)
        throw CliError("Usage: acremark-cli session SCRIPT.jsonl [--out STATE.json]");
    const QByteArray script = ReadWholeFile(ctx.args[0]);
    SessionDriver driver(LoadReferenceTables(ctx.dataOption));
    const QList<QByteArray> lines = script.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const std::string where = ctx.args[0].toStdString() + ":" + std::to_string(i + 1) + ": ";
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            throw CliError(where + "not a JSON object" +
                           (error.error != QJsonParseError::NoError
                                ? " (" + error.errorString().toStdString() + ")"
                                : std::string()));
        try {
            driver.Apply(doc.object());
        } catch (const ScriptError& e) {
            throw CliError(where + e.what());
        }
    }
    const QJsonObject state = driver.State();
    if (ctx.parser.isSet("out")) {
        QFile out(ctx.parser.value("out"));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(QJsonDocument(state).toJson(QJsonDocument::Compact) + "\n") < 0)
            throw CliError("Cannot write " + ctx.parser.value("out").toStdString() + ": " +
                           out.errorString().toStdString());
        return 0;
    }
    PrintJson(ctx.out, state);
    return 0;
}

const CliCommand reg("session",
                     "session SCRIPT.jsonl [--out STATE.json]\n"
                     "                             user actions applied to the main window's "
                     "session; its state as JSON",
                     CmdSession, {"data", "out"});

} // namespace

} // namespace acremark
