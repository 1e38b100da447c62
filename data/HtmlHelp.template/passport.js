// The passport's pages: the objects General.js fills and their display.
// Written for old script engines as well (no let, no arrow functions), since
// the compiled help file may be opened by any help viewer.

var Description = "", CreationDate = "", SystemID = 0;
var ModelList = [], ControllerList = [], TrendGroupList = [], PhaseList = [], StepList = [];
var CycleList = [], DayPlanList = [], WeekPlanList = [], YearPlan = [], ConflictList = [];

function Model(caption) { this.Caption = caption; this.Outputs = []; }
function ModelOutput(colour) { this.Colour = colour; }
function Controller(model, isLed, systemID) {
    this.Model = model; this.IsLed = isLed; this.SystemID = systemID; this.Outputs = [];
}
function ControllerOutput(group, slot) { this.Group = group; this.Slot = slot; }
function TrendGroup(classCode) { this.ClassCode = classCode; this.Trends = []; }
function Trend(kind, redControl, greenControl) {
    this.Kind = kind; this.RedControl = redControl; this.GreenControl = greenControl;
    this.Outputs = []; this.Times = [];
}
function TrendOutput(controller, output) { this.Controller = controller; this.Output = output; }
function Phase() { this.Cycles = []; }
function Step(isCall, phase, duration) {
    this.IsCall = isCall; this.Phase = phase; this.Duration = duration; this.TProms = [];
}
function DayPlan(name) { this.Name = name; this.Items = []; }
function DayPlanItem(time, cycle) { this.Time = time; this.Cycle = cycle; }
function WeekPlan(name) { this.Name = name; this.Items = []; }
function WeekPlanItem(day, dayPlan) { this.Day = day; this.DayPlan = dayPlan; }
function YearPlanItem(date, weekPlan) { this.Date = date; this.WeekPlan = weekPlan; }
function Conflict(a, b) { this.A = a; this.B = b; }

var ClassNames = ["Транспортное", "Пешеходное", "Пешеходное ЗМ", "Стрелка", "Трамвай", "ТВП",
                  "Стрелка ЗМ"];
var KindShort = ["Т", "П", "Пм", "С", "Tл", "Тв", "Тп", "", "ТВП", "См"];
var SlotNames = ["красный", "желтый", "зеленый", "трамвай левый", "трамвай прямо",
                 "трамвай правый", "трамвай нижний"];
var ColourNames = ["красный", "желтый", "зеленый"];
var StateNames = ["Зеленый", "Доп. зеленый", "Зеленый мигающий", "Желтый",
                  "Опережающий красный", "Красный", "Доп. красный", "Красный с желтым",
                  "Опережающий зеленый", "Все красные", "ЖМ", "ОС"];
var StateShort = ["З", "З", "ЗМ", "Ж", "ОК", "К", "К", "КЖ", "ОЗ", "К", "ЖМ", "ОС"];
var TimeStates = [2, 3, 4, 7, 8];
var WeekDays = ["Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"];

function Esc(s) {
    return String(s).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
        .replace(/"/g, "&quot;");
}

// Signal rows in the order of the phase table: every counted signal of every
// direction, direction by direction.
function SignalRows() {
    var rows = [];
    for (var g = 0; g < TrendGroupList.length; ++g) {
        var group = TrendGroupList[g];
        if (!group) continue;
        for (var t = 0; t < group.Trends.length; ++t)
            rows.push({ Group: g, Trend: group.Trends[t],
                        Name: (g + 1) + KindShort[group.Trends[t].Kind] });
    }
    return rows;
}

function PhaseName(i) {
    var working = 0;
    for (var r = 0; r < StepList.length; ++r)
        if (StepList[r] && StepList[r].Phase >= 0 && !StepList[r].IsCall) ++working;
    return "Ф" + (i + 1) + (i >= working ? " (вызывная)" : "");
}

function CycleName(code) {
    if (code == -1) return "ЖМ";
    if (code == -2) return "ОС";
    return CycleList[code] !== undefined ? CycleList[code] : "?";
}

function Table(head, rows, classes) {
    var h = "<table" + (classes ? " class=\"" + classes + "\"" : "") + "><tr>";
    for (var i = 0; i < head.length; ++i) h += "<th>" + head[i] + "</th>";
    h += "</tr>";
    for (var r = 0; r < rows.length; ++r) {
        h += "<tr>";
        for (var c = 0; c < rows[r].length; ++c) h += "<td>" + rows[r][c] + "</td>";
        h += "</tr>";
    }
    return h + "</table>";
}

function Picture(file, alt) {
    return "<img src=\"" + file + "\" alt=\"" + Esc(alt) + "\" onerror=\"this.outerHTML=" +
        "'&lt;span class=&quot;missing&quot;&gt;нет рисунка&lt;/span&gt;'\">";
}

function ObjectPart() {
    var h = "<h1 id=\"object\">Паспорт светофорного объекта</h1>";
    h += "<p class=\"sub\"><b>" + Esc(Description) + "</b></p>";
    h += "<p class=\"sub\">Системный идентификатор: " + SystemID + "</p>";
    h += "<p class=\"sub\">Дата составления: " + Esc(CreationDate) + "</p>";
    h += "<div class=\"scheme\">" + Picture("Scheme.gif", "Схема перекрестка") +
        "<p>Схема светофорного объекта</p></div>";
    return h;
}

function ControllersPart(rows) {
    var h = "<h2 id=\"controllers\">Контроллеры и выходы</h2>";
    for (var c = 0; c < ControllerList.length; ++c) {
        var ctl = ControllerList[c];
        if (!ctl) continue;
        var model = ModelList[ctl.Model];
        h += "<h3>Контроллер " + (c + 1) + ": " + Esc(model ? model.Caption : "?") + ", " +
            (ctl.IsLed ? "светодиодные" : "ламповые") + " светофоры</h3>";
        var lines = [];
        var count = model ? model.Outputs.length : ctl.Outputs.length;
        for (var o = 0; o < count; ++o) {
            var out = ctl.Outputs[o];
            var colour = model && model.Outputs[o] ? ColourNames[model.Outputs[o].Colour] : "";
            var group = out ? TrendGroupList[out.Group] : null;
            lines.push([o + 1, colour,
                        out ? (out.Group + 1) + " " + (group ? ClassNames[group.ClassCode] : "")
                            : "&mdash;",
                        out ? SlotNames[out.Slot] : ""]);
        }
        h += Table(["Выход", "Цвет", "Направление", "Лампа"], lines);
    }
    return h;
}

function OutputText(o) {
    return (ControllerList.length > 1 ? (o.Controller + 1) + "-" : "") + (o.Output + 1);
}

function DirectionsPart(rows) {
    var h = "<h2 id=\"directions\" class=\"part\">Направления</h2>";
    var lines = [];
    for (var r = 0; r < rows.length; ++r) {
        var t = rows[r].Trend, group = TrendGroupList[rows[r].Group];
        var outs = [], times = [];
        for (var k = 0; k < 7; ++k)
            if (t.Outputs[k]) outs.push(SlotNames[k] + ": " + OutputText(t.Outputs[k]));
        for (var i = 0; i < TimeStates.length; ++i)
            if (t.Times[TimeStates[i]] !== undefined)
                times.push(StateNames[TimeStates[i]] + " " + t.Times[TimeStates[i]] + " с");
        var control = [];
        if (t.RedControl) control.push("красного");
        if (t.GreenControl) control.push("зеленого");
        lines.push(["<b>" + rows[r].Name + "</b>", ClassNames[group.ClassCode],
                    outs.join("<br>") || "&mdash;", times.join("<br>") || "&mdash;",
                    control.join(", ") || "&mdash;"]);
    }
    return h + Table(["Сигнал", "Тип", "Выходы", "Времена", "Контроль"], lines);
}

function ConflictsPart(rows) {
    var h = "<h2 id=\"conflicts\">Матрица конфликтов</h2>";
    var m = [];
    for (var i = 0; i < rows.length; ++i) { m.push([]); }
    for (var c = 0; c < ConflictList.length; ++c) {
        var p = ConflictList[c];
        if (!p || p.A >= rows.length || p.B >= rows.length) continue;
        m[p.A][p.B] = true; m[p.B][p.A] = true;
    }
    h += "<table class=\"matrix\"><tr><th></th>";
    for (var j = 0; j < rows.length; ++j) h += "<th>" + rows[j].Name + "</th>";
    h += "</tr>";
    for (var a = 0; a < rows.length; ++a) {
        h += "<tr><th>" + rows[a].Name + "</th>";
        for (var b = 0; b < rows.length; ++b)
            h += a == b ? "<td class=\"self\"></td>"
                        : (m[a][b] ? "<td class=\"x\">X</td>" : "<td></td>");
        h += "</tr>";
    }
    h += "</table>";
    if (ConflictList.length == 0) h += "<p>Конфликтующих направлений нет.</p>";
    return h;
}

function MainStepOf(phase) {
    for (var r = 0; r < StepList.length; ++r)
        if (StepList[r] && StepList[r].Phase == phase) return StepList[r];
    return null;
}

function PhasesPart(rows) {
    var h = "<h2 id=\"phases\" class=\"part\">Фазы</h2>";
    for (var i = 0; i < PhaseList.length; ++i) {
        var step = MainStepOf(i), greens = [];
        for (var t = 0; step && t < rows.length; ++t)
            if (step.TProms[t] == 0 || step.TProms[t] == 1) greens.push(rows[t].Name);
        h += "<div class=\"phase\">" + Picture("Phase_" + i + ".gif", PhaseName(i)) +
            "<p><b>" + PhaseName(i) + "</b>" + (step ? ", " + step.Duration + " с" : "") +
            "</p><p>Зеленые: " + (greens.join(", ") || "нет") + "</p></div>";
    }
    return h;
}

function SequencePart(rows) {
    var h = "<h2 id=\"sequence\" class=\"part\">Последовательность фаз и промежуточные такты</h2>";
    h += "<table class=\"seq\"><tr><th>Такт</th><th class=\"num\">с</th>";
    for (var j = 0; j < rows.length; ++j) h += "<th>" + rows[j].Name + "</th>";
    h += "</tr>";
    var sub = 0;
    for (var r = 0; r < StepList.length; ++r) {
        var s = StepList[r];
        if (!s) continue;
        var main = s.Phase >= 0;
        sub = main ? 0 : sub + 1;
        h += "<tr" + (main ? " class=\"main\"" : "") + "><td>" +
            (main ? "<b>" + PhaseName(s.Phase) + "</b>" : "пт " + sub) + "</td><td class=\"num\">" +
            s.Duration + "</td>";
        for (var t = 0; t < rows.length; ++t) {
            var st = s.TProms[t];
            h += "<td class=\"s st" + st + "\" title=\"" + (StateNames[st] || "") + "\">" +
                (StateShort[st] || "") + "</td>";
        }
        h += "</tr>";
    }
    h += "</table><p class=\"legend\">";
    var shown = [0, 2, 3, 4, 5, 7, 8, 10, 11];
    for (var k = 0; k < shown.length; ++k)
        h += "<span class=\"st" + shown[k] + "\">" + StateShort[shown[k]] + "</span>" +
            StateNames[shown[k]] + " &nbsp; ";
    return h + "</p>";
}

function CyclesPart() {
    var h = "<h2 id=\"cycles\" class=\"part\">Рабочие циклы</h2>";
    var head = ["№", "Цикл"];
    for (var i = 0; i < PhaseList.length; ++i) head.push(PhaseName(i) + ", с");
    var lines = [];
    for (var c = 1; c < CycleList.length; ++c) {
        if (CycleList[c] === undefined) continue;
        var line = [c, Esc(CycleList[c])];
        for (var p = 0; p < PhaseList.length; ++p)
            line.push(PhaseList[p] && PhaseList[p].Cycles[c - 1] !== undefined
                          ? PhaseList[p].Cycles[c - 1] : "");
        lines.push(line);
    }
    if (!lines.length) return h + "<p>Рабочих циклов нет.</p>";
    h += Table(head, lines);
    for (var d = 1; d < CycleList.length; ++d) {
        if (CycleList[d] === undefined) continue;
        h += "<div class=\"diagram\"><p class=\"caption\">Временная диаграмма: " + Esc(CycleList[d]) +
             "</p>" + Picture("Cycle_" + (d - 1) + ".png", CycleList[d]) + "</div>";
    }
    return h;
}

function PlansPart() {
    var h = "<h2 id=\"plans\">Суточные планы</h2>";
    for (var d = 0; d < DayPlanList.length; ++d) {
        var plan = DayPlanList[d];
        if (!plan) continue;
        var lines = [];
        for (var i = 0; i < plan.Items.length; ++i)
            lines.push([plan.Items[i].Time, Esc(CycleName(plan.Items[i].Cycle))]);
        h += "<h3>" + Esc(plan.Name) + "</h3>" + Table(["Начало", "Цикл"], lines);
    }
    h += "<h2>Недельные планы</h2>";
    for (var w = 0; w < WeekPlanList.length; ++w) {
        var week = WeekPlanList[w];
        if (!week) continue;
        var days = [];
        for (var j = 0; j < week.Items.length; ++j) {
            var first = week.Items[j].Day;
            var last = j + 1 < week.Items.length ? week.Items[j + 1].Day - 1 : 6;
            var dp = DayPlanList[week.Items[j].DayPlan];
            days.push([WeekDays[first] + (last > first ? "&ndash;" + WeekDays[last] : ""),
                       Esc(dp ? dp.Name : "?")]);
        }
        h += "<h3>" + Esc(week.Name) + "</h3>" + Table(["Дни", "Суточный план"], days);
    }
    h += "<h2>Годовой план</h2>";
    var year = [];
    for (var y = 0; y < YearPlan.length; ++y) {
        if (!YearPlan[y]) continue;
        var wp = WeekPlanList[YearPlan[y].WeekPlan];
        year.push(["с " + Esc(YearPlan[y].Date), Esc(wp ? wp.Name : "?")]);
    }
    return h + Table(["Начало", "Недельный план"], year);
}

function RenderPassport(target) {
    if (!target) return;
    var rows = SignalRows();
    target.innerHTML = ObjectPart() + ControllersPart(rows) + DirectionsPart(rows) +
        ConflictsPart(rows) + PhasesPart(rows) + SequencePart(rows) + CyclesPart() +
        PlansPart();
    if (Description) document.title = "Паспорт: " + Description;
}
