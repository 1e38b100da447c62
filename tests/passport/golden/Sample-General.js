Description = 'ул. Ленина — пр. Мира';
CreationDate = '07.03.2024 09:05:04';
SystemID = 12;
ModelList[1] = new Model('НВТ-3 (32 выхода)');
with (ModelList[1]) {
	Outputs[0] = new ModelOutput(0);
	Outputs[1] = new ModelOutput(0);
	Outputs[2] = new ModelOutput(0);
	Outputs[3] = new ModelOutput(0);
	Outputs[4] = new ModelOutput(0);
	Outputs[5] = new ModelOutput(0);
	Outputs[6] = new ModelOutput(0);
	Outputs[7] = new ModelOutput(0);
	Outputs[8] = new ModelOutput(1);
	Outputs[9] = new ModelOutput(1);
	Outputs[10] = new ModelOutput(1);
	Outputs[11] = new ModelOutput(1);
	Outputs[12] = new ModelOutput(1);
	Outputs[13] = new ModelOutput(1);
	Outputs[14] = new ModelOutput(1);
	Outputs[15] = new ModelOutput(1);
	Outputs[16] = new ModelOutput(2);
	Outputs[17] = new ModelOutput(2);
	Outputs[18] = new ModelOutput(2);
	Outputs[19] = new ModelOutput(2);
	Outputs[20] = new ModelOutput(2);
	Outputs[21] = new ModelOutput(2);
	Outputs[22] = new ModelOutput(2);
	Outputs[23] = new ModelOutput(2);
	Outputs[24] = new ModelOutput(0);
	Outputs[25] = new ModelOutput(0);
	Outputs[26] = new ModelOutput(0);
	Outputs[27] = new ModelOutput(0);
	Outputs[28] = new ModelOutput(0);
	Outputs[29] = new ModelOutput(0);
	Outputs[30] = new ModelOutput(0);
	Outputs[31] = new ModelOutput(0);
}
ControllerList[0] = new Controller(1,0,12);
with (ControllerList[0]){
	Outputs[0] = new ControllerOutput(0, 0);
	Outputs[1] = new ControllerOutput(1, 0);
	Outputs[2] = new ControllerOutput(3, 0);
	Outputs[3] = new ControllerOutput(4, 0);
	Outputs[8] = new ControllerOutput(0, 1);
	Outputs[9] = new ControllerOutput(1, 1);
	Outputs[10] = new ControllerOutput(5, 3);
	Outputs[11] = new ControllerOutput(5, 4);
	Outputs[12] = new ControllerOutput(5, 5);
	Outputs[13] = new ControllerOutput(5, 6);
	Outputs[14] = new ControllerOutput(6, 1);
	Outputs[16] = new ControllerOutput(0, 2);
	Outputs[17] = new ControllerOutput(1, 2);
	Outputs[18] = new ControllerOutput(2, 2);
	Outputs[19] = new ControllerOutput(3, 2);
	Outputs[20] = new ControllerOutput(4, 2);
	Outputs[21] = new ControllerOutput(6, 2);
}
TrendGroupList[0] = new TrendGroup(0);
with (TrendGroupList[0]){
	Trends[0] = new Trend(0, 1, 1);
	with (Trends[0]){
		Outputs[0] = new TrendOutput(0, 0);
		Outputs[1] = new TrendOutput(0, 8);
		Outputs[2] = new TrendOutput(0, 16);
		Times[2] = 6;
		Times[3] = 3;
		Times[7] = 2;
	}
}
TrendGroupList[1] = new TrendGroup(0);
with (TrendGroupList[1]){
	Trends[0] = new Trend(0, 1, 1);
	with (Trends[0]){
		Outputs[0] = new TrendOutput(0, 1);
		Outputs[1] = new TrendOutput(0, 9);
		Outputs[2] = new TrendOutput(0, 17);
		Times[2] = 6;
		Times[3] = 3;
		Times[7] = 2;
	}
}
TrendGroupList[2] = new TrendGroup(3);
with (TrendGroupList[2]){
	Trends[0] = new Trend(3, 0, 0);
	with (Trends[0]){
		Outputs[2] = new TrendOutput(0, 18);
		Times[2] = 3;
	}
}
TrendGroupList[3] = new TrendGroup(1);
with (TrendGroupList[3]){
	Trends[0] = new Trend(1, 0, 1);
	with (Trends[0]){
		Outputs[0] = new TrendOutput(0, 2);
		Outputs[2] = new TrendOutput(0, 19);
		Times[2] = 4;
	}
}
TrendGroupList[4] = new TrendGroup(2);
with (TrendGroupList[4]){
	Trends[0] = new Trend(2, 0, 1);
	with (Trends[0]){
		Outputs[0] = new TrendOutput(0, 3);
		Outputs[2] = new TrendOutput(0, 20);
		Times[2] = 5;
	}
}
TrendGroupList[5] = new TrendGroup(4);
with (TrendGroupList[5]){
	Trends[0] = new Trend(4, 0, 0);
	with (Trends[0]){
		Outputs[3] = new TrendOutput(0, 10);
		Outputs[6] = new TrendOutput(0, 13);
		Times[4] = 2;
	}
	Trends[1] = new Trend(5, 0, 0);
	with (Trends[1]){
		Outputs[4] = new TrendOutput(0, 11);
		Outputs[6] = new TrendOutput(0, 13);
		Times[4] = 2;
	}
	Trends[2] = new Trend(6, 0, 0);
	with (Trends[2]){
		Outputs[5] = new TrendOutput(0, 12);
		Outputs[6] = new TrendOutput(0, 13);
		Times[4] = 2;
	}
}
TrendGroupList[6] = new TrendGroup(5);
with (TrendGroupList[6]){
	Trends[0] = new Trend(8, 0, 0);
	with (Trends[0]){
		Outputs[1] = new TrendOutput(0, 14);
		Outputs[2] = new TrendOutput(0, 21);
	}
}
PhaseList[0] = new Phase();
with (PhaseList[0]){
	Cycles[0] = 25;
	Cycles[1] = 40;
}
PhaseList[1] = new Phase();
with (PhaseList[1]){
	Cycles[0] = 20;
	Cycles[1] = 30;
}
PhaseList[2] = new Phase();
with (PhaseList[2]){
	Cycles[0] = 8;
	Cycles[1] = 12;
}
PhaseList[3] = new Phase();
with (PhaseList[3]){
	Cycles[0] = 15;
	Cycles[1] = 15;
}
StepList[0] = new Step(0, 0, 12);
with (StepList[0]){
	TProms[0] = 1;
	TProms[1] = 6;
	TProms[2] = 6;
	TProms[3] = 6;
	TProms[4] = 1;
	TProms[5] = 6;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[1] = new Step(0, -1, 1);
with (StepList[1]){
	TProms[0] = 2;
	TProms[1] = 6;
	TProms[2] = 6;
	TProms[3] = 6;
	TProms[4] = 1;
	TProms[5] = 6;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[2] = new Step(0, -1, 2);
with (StepList[2]){
	TProms[0] = 2;
	TProms[1] = 6;
	TProms[2] = 6;
	TProms[3] = 6;
	TProms[4] = 2;
	TProms[5] = 6;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[3] = new Step(0, -1, 1);
with (StepList[3]){
	TProms[0] = 3;
	TProms[1] = 6;
	TProms[2] = 6;
	TProms[3] = 6;
	TProms[4] = 2;
	TProms[5] = 6;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[4] = new Step(0, -1, 2);
with (StepList[4]){
	TProms[0] = 3;
	TProms[1] = 7;
	TProms[2] = 6;
	TProms[3] = 6;
	TProms[4] = 2;
	TProms[5] = 6;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[5] = new Step(0, 1, 10);
with (StepList[5]){
	TProms[0] = 6;
	TProms[1] = 1;
	TProms[2] = 6;
	TProms[3] = 1;
	TProms[4] = 6;
	TProms[5] = 6;
	TProms[6] = 1;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[6] = new Step(0, -1, 2);
with (StepList[6]){
	TProms[0] = 6;
	TProms[1] = 2;
	TProms[2] = 6;
	TProms[3] = 1;
	TProms[4] = 6;
	TProms[5] = 6;
	TProms[6] = 1;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[7] = new Step(0, -1, 1);
with (StepList[7]){
	TProms[0] = 6;
	TProms[1] = 2;
	TProms[2] = 6;
	TProms[3] = 2;
	TProms[4] = 6;
	TProms[5] = 6;
	TProms[6] = 1;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[8] = new Step(0, -1, 1);
with (StepList[8]){
	TProms[0] = 6;
	TProms[1] = 3;
	TProms[2] = 6;
	TProms[3] = 2;
	TProms[4] = 6;
	TProms[5] = 6;
	TProms[6] = 1;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[9] = new Step(0, -1, 2);
with (StepList[9]){
	TProms[0] = 6;
	TProms[1] = 3;
	TProms[2] = 6;
	TProms[3] = 2;
	TProms[4] = 6;
	TProms[5] = 6;
	TProms[6] = 4;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[10] = new Step(0, 2, 6);
with (StepList[10]){
	TProms[0] = 6;
	TProms[1] = 6;
	TProms[2] = 1;
	TProms[3] = 6;
	TProms[4] = 6;
	TProms[5] = 1;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[11] = new Step(0, -1, 1);
with (StepList[11]){
	TProms[0] = 6;
	TProms[1] = 6;
	TProms[2] = 2;
	TProms[3] = 6;
	TProms[4] = 6;
	TProms[5] = 1;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[12] = new Step(0, -1, 2);
with (StepList[12]){
	TProms[0] = 7;
	TProms[1] = 6;
	TProms[2] = 2;
	TProms[3] = 6;
	TProms[4] = 6;
	TProms[5] = 4;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[13] = new Step(0, -1, 1);
with (StepList[13]){
	TProms[0] = 6;
	TProms[1] = 6;
	TProms[2] = 2;
	TProms[3] = 6;
	TProms[4] = 6;
	TProms[5] = 1;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[14] = new Step(0, -1, 2);
with (StepList[14]){
	TProms[0] = 6;
	TProms[1] = 6;
	TProms[2] = 2;
	TProms[3] = 6;
	TProms[4] = 6;
	TProms[5] = 4;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 6;
}
StepList[15] = new Step(1, 3, 15);
with (StepList[15]){
	TProms[0] = 6;
	TProms[1] = 6;
	TProms[2] = 6;
	TProms[3] = 1;
	TProms[4] = 1;
	TProms[5] = 6;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 1;
}
StepList[16] = new Step(0, -1, 2);
with (StepList[16]){
	TProms[0] = 6;
	TProms[1] = 6;
	TProms[2] = 6;
	TProms[3] = 2;
	TProms[4] = 1;
	TProms[5] = 6;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 1;
}
StepList[17] = new Step(0, -1, 2);
with (StepList[17]){
	TProms[0] = 7;
	TProms[1] = 6;
	TProms[2] = 6;
	TProms[3] = 2;
	TProms[4] = 1;
	TProms[5] = 6;
	TProms[6] = 6;
	TProms[7] = 6;
	TProms[8] = 1;
}
CycleList[1] = 'Обычный';
CycleList[2] = 'Часы пик';
DayPlanList[0] = new DayPlan('Будни');
with (DayPlanList[0]){
	Items[0] = new DayPlanItem('00:00:00', -1);
	Items[1] = new DayPlanItem('06:00:00', 1);
	Items[2] = new DayPlanItem('07:30:00', 2);
	Items[3] = new DayPlanItem('09:30:00', 1);
	Items[4] = new DayPlanItem('17:00:00', 2);
	Items[5] = new DayPlanItem('19:30:00', 1);
	Items[6] = new DayPlanItem('23:00:00', -1);
}
DayPlanList[1] = new DayPlan('Выходные');
with (DayPlanList[1]){
	Items[0] = new DayPlanItem('00:00:00', -1);
	Items[1] = new DayPlanItem('08:00:00', 1);
	Items[2] = new DayPlanItem('23:00:00', -1);
}
WeekPlanList[0] = new WeekPlan('Рабочая неделя');
with (WeekPlanList[0]){
	Items[0] = new WeekPlanItem(0, 0);
	Items[1] = new WeekPlanItem(5, 1);
}
WeekPlanList[1] = new WeekPlan('Праздники');
with (WeekPlanList[1]){
	Items[0] = new WeekPlanItem(0, 1);
}
	YearPlan[0] = new YearPlanItem('01 января', 1);
	YearPlan[1] = new YearPlanItem('09 января', 0);
	YearPlan[2] = new YearPlanItem('08 марта', 1);
	YearPlan[3] = new YearPlanItem('09 марта', 0);
	YearPlan[4] = new YearPlanItem('01 мая', 1);
	YearPlan[5] = new YearPlanItem('03 мая', 0);
	YearPlan[6] = new YearPlanItem('09 мая', 1);
	YearPlan[7] = new YearPlanItem('10 мая', 0);
	YearPlan[8] = new YearPlanItem('12 июня', 1);
	YearPlan[9] = new YearPlanItem('13 июня', 0);
	YearPlan[10] = new YearPlanItem('04 ноября', 1);
	YearPlan[11] = new YearPlanItem('05 ноября', 0);
	YearPlan[12] = new YearPlanItem('31 декабря', 1);
