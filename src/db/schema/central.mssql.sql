-- The central database ZSV of the repair-shop platform, for SQL Server: run it in
-- the database ZSV (code page 936, GBK); "qitai-admin init" then fills the
-- settings row, the platform account and the departments. Made by
-- "qitai-admin schema --dialect sqlserver".
set ansi_nulls on;
set quoted_identifier on;
begin transaction;
create table [zsv_quser] (
  [id] bigint identity(100001,1) not null primary key check ([id] between 1 and 999999999),
  [qq] bigint,
  [passwordd] varchar(max) collate Chinese_PRC_BIN2,
  [name] varchar(max) collate Chinese_PRC_BIN2,
  [sex] varchar(max) collate Chinese_PRC_BIN2,
  [age] bigint default 0,
  [idcard] varchar(255) collate Chinese_PRC_BIN2,
  [telephone] varchar(255) collate Chinese_PRC_BIN2,
  [server_area] varchar(max) collate Chinese_PRC_BIN2,
  [address] varchar(max) collate Chinese_PRC_BIN2,
  [bank] varchar(max) collate Chinese_PRC_BIN2,
  [alipay] varchar(max) collate Chinese_PRC_BIN2,
  [company_name] varchar(max) collate Chinese_PRC_BIN2,
  [c_kind] varchar(max) collate Chinese_PRC_BIN2,
  [job] varchar(max) collate Chinese_PRC_BIN2,
  [u_kind] bigint,
  [manager_id] bigint,
  [manager] varchar(max) collate Chinese_PRC_BIN2,
  [pic] bigint default 0,
  [department] varchar(max) collate Chinese_PRC_BIN2 default '',
  [regip] varchar(255) collate Chinese_PRC_BIN2,
  [regdate] datetime,
  [logins] bigint default 0,
  [lasttime] datetime,
  [score] bigint default 0,
  [approve] bigint default 1,
  [qlock] bigint default 0,
  [online] bigint default 3,
  [lastip] varchar(max) collate Chinese_PRC_BIN2 default '',
  [lastport] varchar(max) collate Chinese_PRC_BIN2 default '',
  [Port_3389] bigint default 0,
  [Port_radmin] bigint default 0,
  [Port_control] bigint default 0,
  [Port_audio] bigint default 0,
  [Port_video] bigint default 0,
  [Port_text] bigint default 0,
  [Port_transfer] bigint default 0,
  [Port_transfer2] bigint default 0,
  [version] varchar(max) collate Chinese_PRC_BIN2,
  [TiCheng_S] decimal(19,6) default 0,
  [TiCheng_E] decimal(19,6) default 0,
  [TiCheng_T] decimal(19,6) default 0,
  [TiCheng_M] decimal(19,6) default 0,
  [JiBen_S] decimal(19,6) default 0,
  [JiBen_E] decimal(19,6) default 0,
  [JiBen_T] decimal(19,6) default 0,
  [pj_good] bigint default 0,
  [pj_rate] decimal(19,6) default 0,
  [question] varchar(max) collate Chinese_PRC_BIN2,
  [answer] varchar(max) collate Chinese_PRC_BIN2
);
create unique index [zsv_quser_qq] on [zsv_quser] ([qq]) where [qq] is not null;
create index [zsv_quser_manager_id] on [zsv_quser] ([manager_id]);
create index [zsv_quser_idcard_telephone_regip] on [zsv_quser] ([idcard], [telephone], [regip]);
create table [zsv_friend] (
  [id] bigint identity(1,1) not null primary key,
  [qq] bigint,
  [friendqq] bigint,
  [black] bigint default 0,
  [comment] varchar(max) collate Chinese_PRC_BIN2 default ''
);
create index [zsv_friend_qq_friendqq] on [zsv_friend] ([qq], [friendqq]);
create index [zsv_friend_friendqq] on [zsv_friend] ([friendqq]);
create table [zsv_department] (
  [id] bigint not null primary key,
  [name] varchar(max) collate Chinese_PRC_BIN2,
  [fatherid] bigint default 0
);
create table [zsv_group] (
  [qq2] bigint,
  [departmentid] bigint,
  [department] varchar(max) collate Chinese_PRC_BIN2,
  [rank] bigint default 0
);
create index [zsv_group_qq2] on [zsv_group] ([qq2]);
create index [zsv_group_departmentid] on [zsv_group] ([departmentid]);
create table [zsv_login] (
  [qq] bigint,
  [ip] varchar(max) collate Chinese_PRC_BIN2,
  [begintime] datetime,
  [endtime] datetime,
  [onlinetime] datetime
);
create index [zsv_login_qq] on [zsv_login] ([qq]);
create table [zsv_dialog] (
  [source] bigint,
  [target] bigint,
  [sourcename] varchar(max) collate Chinese_PRC_BIN2,
  [targetname] varchar(max) collate Chinese_PRC_BIN2,
  [speak] varchar(max) collate Chinese_PRC_BIN2,
  [speakdate] datetime,
  [sourceip] varchar(max) collate Chinese_PRC_BIN2,
  [targetip] varchar(max) collate Chinese_PRC_BIN2,
  [affirm] bigint default 0
);
create index [zsv_dialog_target] on [zsv_dialog] ([target]);
create table [zsv_dialogUpload] (
  [groupid] bigint default 0,
  [groupname] varchar(max) collate Chinese_PRC_BIN2 default '',
  [source] bigint,
  [sourcename] varchar(max) collate Chinese_PRC_BIN2,
  [sourceip] varchar(max) collate Chinese_PRC_BIN2,
  [target] bigint,
  [targetname] varchar(max) collate Chinese_PRC_BIN2,
  [targetip] varchar(max) collate Chinese_PRC_BIN2,
  [speak] varchar(max) collate Chinese_PRC_BIN2,
  [speakdate] varchar(max) collate Chinese_PRC_BIN2,
  [upload] bigint default 1
);
create index [zsv_dialogUpload_source] on [zsv_dialogUpload] ([source]);
create index [zsv_dialogUpload_target] on [zsv_dialogUpload] ([target]);
create table [zsv_about] (
  [id] bigint not null primary key,
  [ClientVersion] varchar(max) collate Chinese_PRC_BIN2,
  [Upgrade] bigint default 0,
  [webside] varchar(max) collate Chinese_PRC_BIN2 default '',
  [CenterIp1] varchar(max) collate Chinese_PRC_BIN2,
  [CenterIp2] varchar(max) collate Chinese_PRC_BIN2,
  [CurrentIp] varchar(max) collate Chinese_PRC_BIN2,
  [GroupPort] bigint default 0,
  [SaveDialog] varchar(max) collate Chinese_PRC_BIN2,
  [Port_server] bigint,
  [Port_3389] bigint default 0,
  [Port_radmin] bigint default 0,
  [Popup] varchar(max) collate Chinese_PRC_BIN2 default '0',
  [Popup1] varchar(max) collate Chinese_PRC_BIN2 default '',
  [help1] varchar(max) collate Chinese_PRC_BIN2 default '',
  [help2] varchar(max) collate Chinese_PRC_BIN2 default '',
  [help3] varchar(max) collate Chinese_PRC_BIN2 default '',
  [help4] varchar(max) collate Chinese_PRC_BIN2 default '',
  [help5] varchar(max) collate Chinese_PRC_BIN2 default '',
  [help6] varchar(max) collate Chinese_PRC_BIN2 default ''
);
create table [zsv_update] (
  [FileId] bigint,
  [FileName] varchar(max) collate Chinese_PRC_BIN2,
  [FileVersion] varchar(max) collate Chinese_PRC_BIN2,
  [FileUrl] varchar(max) collate Chinese_PRC_BIN2,
  [FileDel] bigint default 0
);
create table [zsv_order] (
  [WorkOrder] varchar(255) collate Chinese_PRC_BIN2 not null primary key,
  [Client] varchar(max) collate Chinese_PRC_BIN2,
  [Sex] varchar(max) collate Chinese_PRC_BIN2,
  [Phone] varchar(max) collate Chinese_PRC_BIN2,
  [Address] varchar(max) collate Chinese_PRC_BIN2,
  [Area] varchar(max) collate Chinese_PRC_BIN2,
  [Bug] varchar(max) collate Chinese_PRC_BIN2,
  [serv_kind] varchar(max) collate Chinese_PRC_BIN2,
  [Service] varchar(max) collate Chinese_PRC_BIN2,
  [Service_id] bigint,
  [Technician] varchar(max) collate Chinese_PRC_BIN2,
  [Technician_id] bigint,
  [Enginner] varchar(max) collate Chinese_PRC_BIN2,
  [Enginner_id] bigint,
  [manager_id] bigint,
  [Time_accept] datetime,
  [Time_arrive] datetime,
  [Time_finish] datetime,
  [Time_line_begin] datetime,
  [Time_line_end] datetime,
  [State] varchar(max) collate Chinese_PRC_BIN2,
  [Result] varchar(max) collate Chinese_PRC_BIN2,
  [Charge_Upkeep] decimal(19,6),
  [Charge_parts] decimal(19,6),
  [Charge_total] decimal(19,6),
  [Charge_profit] decimal(19,6),
  [Comment] varchar(max) collate Chinese_PRC_BIN2,
  [PJ_client] varchar(max) collate Chinese_PRC_BIN2,
  [Affirm_technician] bigint,
  [Affirm_enginner] bigint,
  [Affirm_service] bigint,
  [PJ_s2e] varchar(max) collate Chinese_PRC_BIN2,
  [PJ_s2t] varchar(max) collate Chinese_PRC_BIN2,
  [PJ_e2s] varchar(max) collate Chinese_PRC_BIN2,
  [PJ_e2t] varchar(max) collate Chinese_PRC_BIN2,
  [PJ_t2s] varchar(max) collate Chinese_PRC_BIN2,
  [PJ_t2e] varchar(max) collate Chinese_PRC_BIN2,
  [PJ_comment] varchar(max) collate Chinese_PRC_BIN2,
  [worker_salary] varchar(max) collate Chinese_PRC_BIN2
);
create index [zsv_order_manager_id] on [zsv_order] ([manager_id]);
create index [zsv_order_Service_id] on [zsv_order] ([Service_id]);
create index [zsv_order_Technician_id] on [zsv_order] ([Technician_id]);
create index [zsv_order_Enginner_id] on [zsv_order] ([Enginner_id]);
create table [zsv_parts_price] (
  [id] bigint identity(1,1) not null primary key,
  [name] varchar(max) collate Chinese_PRC_BIN2,
  [model] varchar(max) collate Chinese_PRC_BIN2,
  [count] bigint,
  [count_yu] bigint,
  [FixPrice] decimal(19,6),
  [SellingPrice] decimal(19,6),
  [RatePrice] decimal(19,6),
  [storage] varchar(max) collate Chinese_PRC_BIN2,
  [storage_id] bigint,
  [manager] varchar(max) collate Chinese_PRC_BIN2,
  [manager_id] bigint,
  [status] varchar(max) collate Chinese_PRC_BIN2,
  [place_code] varchar(max) collate Chinese_PRC_BIN2,
  [old] varchar(max) collate Chinese_PRC_BIN2
);
create index [zsv_parts_price_manager_id] on [zsv_parts_price] ([manager_id]);
create index [zsv_parts_price_storage_id] on [zsv_parts_price] ([storage_id]);
create table [zsv_parts_sell] (
  [id] bigint identity(1,1) not null primary key,
  [id_price] bigint,
  [name] varchar(max) collate Chinese_PRC_BIN2,
  [model] varchar(max) collate Chinese_PRC_BIN2,
  [count_pick] bigint default 0,
  [count_sell] bigint default 0,
  [count_return] bigint default 0,
  [count_surplus] bigint default 0,
  [SellingPrice] decimal(19,6),
  [manager] varchar(max) collate Chinese_PRC_BIN2,
  [storage] varchar(max) collate Chinese_PRC_BIN2,
  [technician] varchar(max) collate Chinese_PRC_BIN2,
  [manager_id] bigint,
  [storage_id] bigint,
  [technician_id] bigint,
  [status] varchar(max) collate Chinese_PRC_BIN2
);
create index [zsv_parts_sell_id_price] on [zsv_parts_sell] ([id_price]);
create index [zsv_parts_sell_manager_id] on [zsv_parts_sell] ([manager_id]);
create table [zsv_parts_order] (
  [id] bigint identity(1,1) not null primary key,
  [name] varchar(max) collate Chinese_PRC_BIN2,
  [model] varchar(max) collate Chinese_PRC_BIN2,
  [id_parts] bigint,
  [id_order] varchar(255) collate Chinese_PRC_BIN2,
  [FixPrice] decimal(19,6),
  [SellingPrice] decimal(19,6),
  [count] bigint,
  [total_buy] bigint,
  [total_sell] bigint,
  [profit] bigint,
  [total_rate] decimal(19,6),
  [manager_id] bigint,
  [manager] varchar(max) collate Chinese_PRC_BIN2,
  [storage] varchar(max) collate Chinese_PRC_BIN2,
  [technician] varchar(max) collate Chinese_PRC_BIN2,
  [storage_id] bigint,
  [status] varchar(max) collate Chinese_PRC_BIN2,
  [order_date] datetime
);
create index [zsv_parts_order_id_order] on [zsv_parts_order] ([id_order]);
create index [zsv_parts_order_id_parts] on [zsv_parts_order] ([id_parts]);
create index [zsv_parts_order_manager_id] on [zsv_parts_order] ([manager_id]);
create table [zsv_money] (
  [id] bigint identity(1,1) not null primary key,
  [order_id] varchar(max) collate Chinese_PRC_BIN2,
  [order_state] varchar(max) collate Chinese_PRC_BIN2,
  [money_all] decimal(19,6),
  [money_rate] decimal(19,6),
  [money_comment] varchar(max) collate Chinese_PRC_BIN2,
  [money_income] decimal(19,6),
  [money_state] varchar(max) collate Chinese_PRC_BIN2,
  [money_getout] decimal(19,6) default 0,
  [money_time] datetime,
  [qq] bigint,
  [qqname] varchar(max) collate Chinese_PRC_BIN2,
  [manager_id] bigint
);
create index [zsv_money_qq] on [zsv_money] ([qq]);
create index [zsv_money_manager_id] on [zsv_money] ([manager_id]);
create table [zsv_salary] (
  [qq] bigint,
  [qqname] varchar(max) collate Chinese_PRC_BIN2,
  [money] decimal(19,6),
  [get_time] datetime,
  [status] varchar(max) collate Chinese_PRC_BIN2,
  [kind] varchar(max) collate Chinese_PRC_BIN2,
  [manager] varchar(max) collate Chinese_PRC_BIN2,
  [manager_id] bigint
);
create index [zsv_salary_manager_id] on [zsv_salary] ([manager_id]);
create index [zsv_salary_qq] on [zsv_salary] ([qq]);
commit;
