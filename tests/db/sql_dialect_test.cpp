#include "db/sql_dialect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/cadoex.h"
#include "db/central_schema.h"
#include "support/stores_fixture.h"

namespace {

struct RewriteCase {
    const char* what;
    std::string sql;
    std::string sqlite;
    std::string mariadb;
    std::string postgres;
};

const std::vector<RewriteCase>& RewriteCases() {
    static const std::vector<RewriteCase> cases = {
        {"top without order by", "select top 500 id,name from zsv_parts_price where manager_id = 7",
         "select id,name from zsv_parts_price where manager_id = 7 limit 500",
         "select id,name from zsv_parts_price where manager_id = 7 limit 500",
         "select id,name from zsv_parts_price where manager_id = 7 limit 500"},
        {"top with order by and the templates' double blanks",
         "select top 100 WorkOrder,Client  from zsv_order where Enginner_id =  5 order by "
         "WorkOrder "
         "desc",
         "select WorkOrder,Client  from zsv_order where Enginner_id =  5 order by WorkOrder desc "
         "limit 100",
         "select WorkOrder,Client  from zsv_order where Enginner_id =  5 order by WorkOrder desc "
         "limit 100",
         "select WorkOrder,Client  from zsv_order where Enginner_id =  5 order by WorkOrder desc "
         "limit 100"},
        {"upper-case keywords and a trailing blank",
         "SELECT TOP 5 * FROM zsv_dialog WHERE upload = 0 ",
         "SELECT * FROM zsv_dialog WHERE upload = 0 limit 5 ",
         "SELECT * FROM zsv_dialog WHERE upload = 0 limit 5 ",
         "SELECT * FROM zsv_dialog WHERE upload = 0 limit 5 "},
        {"top after distinct", "select distinct top 3 qq from zsv_friend",
         "select distinct qq from zsv_friend limit 3", "select distinct qq from zsv_friend limit 3",
         "select distinct qq from zsv_friend limit 3"},
        {"top in a sub-select",
         "select Client from zsv_order where WorkOrder = (select top 1 WorkOrder from zsv_order "
         "order by WorkOrder desc )",
         "select Client from zsv_order where WorkOrder = (select WorkOrder from zsv_order "
         "order by WorkOrder desc limit 1 )",
         "select Client from zsv_order where WorkOrder = (select WorkOrder from zsv_order "
         "order by WorkOrder desc limit 1 )",
         "select Client from zsv_order where WorkOrder = (select WorkOrder from zsv_order order by "
         "WorkOrder desc limit 1 )"},
        {"top in both the select and its sub-select",
         "select top 2 a,(select top 1 b from u where u.k = t.k order by b) as c from t order by a",
         "select a,(select b from u where u.k = t.k order by b limit 1) as c from t order by a "
         "limit 2",
         "select a,(select b from u where u.k = t.k order by b limit 1) as c from t order by a "
         "limit 2",
         "select a,(select b from u where u.k = t.k order by b limit 1) as c from t order by a "
         "limit 2"},
        {"top with a sub-select among its columns",
         "select top 500 WorkOrder,(select sum(total_sell) from zsv_parts_order where status <> "
         "'客户退货' and id_order = workorder) as parts_sell ,Affirm_service from zsv_order where "
         "manager_id =  7 and [state] = '维修完毕'  order by WorkOrder desc",
         "select WorkOrder,(select sum(total_sell) from zsv_parts_order where status <> "
         "'客户退货' and id_order = workorder) as parts_sell ,Affirm_service from zsv_order where "
         "manager_id =  7 and [state] = '维修完毕'  order by WorkOrder desc limit 500",
         "select WorkOrder,(select sum(total_sell) from zsv_parts_order where status <> "
         "'客户退货' and id_order = workorder) as parts_sell ,Affirm_service from zsv_order where "
         "manager_id =  7 and `state` = '维修完毕'  order by WorkOrder desc limit 500",
         "select WorkOrder,(select sum(total_sell) from zsv_parts_order where status <> '客户退货' "
         "and id_order = workorder) as parts_sell ,Affirm_service from zsv_order where manager_id "
         "=  7 and \"state\" = '维修完毕'  order by WorkOrder desc limit 500"},
        {"top in parentheses", "select top (5) a from t;", "select a from t limit (5);",
         "select a from t limit 5;", "select a from t limit (5);"},
        {"the limit goes before a closing comment", "select top 5 a from t -- newest first",
         "select a from t limit 5 -- newest first", "select a from t limit 5 ",
         "select a from t limit 5 -- newest first"},
        {"top percent has no limit form", "select top 10 percent a from t",
         "select top 10 percent a from t", "select top 10 percent a from t",
         "select top 10 percent a from t"},
        {"top in a union is left for the engine", "select top 2 a from t union select b from u",
         "select top 2 a from t union select b from u",
         "select top 2 a from t union select b from u",
         "select top 2 a from t union select b from u"},
        {"select directly followed by a sub-select",
         "select(select count(PJ_s2t) from zsv_order where (Technician_id = 5 and PJ_s2t = "
         "'好评')) +(select count(PJ_e2t) from zsv_order where Technician_id = 5 ) as RevOk",
         "select(select count(PJ_s2t) from zsv_order where (Technician_id = 5 and PJ_s2t = "
         "'好评')) +(select count(PJ_e2t) from zsv_order where Technician_id = 5 ) as RevOk",
         "select(select count(PJ_s2t) from zsv_order where (Technician_id = 5 and PJ_s2t = "
         "'好评')) +(select count(PJ_e2t) from zsv_order where Technician_id = 5 ) as RevOk",
         "select(select count(PJ_s2t) from zsv_order where (Technician_id = 5 and PJ_s2t = "
         "'好评')) +(select count(PJ_e2t) from zsv_order where Technician_id = 5 ) as RevOk"},
        {"getdate()", "update zsv_login set endtime = getdate() where qq = 5 and endtime is null",
         "update zsv_login set endtime = getdate() where qq = 5 and endtime is null",
         "update zsv_login set endtime = now() where qq = 5 and endtime is null",
         "update zsv_login set endtime = cast(date_trunc('second', statement_timestamp()) as "
         "timestamp) where qq = 5 and endtime is null"},
        {"a blank between a function and its arguments",
         "select count (*) as n, GETDATE () as t from zsv_friend",
         "select count (*) as n, GETDATE () as t from zsv_friend",
         "select count(*) as n, now() as t from zsv_friend",
         "select count (*) as n, cast(date_trunc('second', statement_timestamp()) as timestamp) as "
         "t from zsv_friend"},
        {"DATEPART",
         "select * from zsv_money where DATEPART(mm, money_time) = DATEPART(mm, GETDATE()) and "
         "DATEPART(yy, money_time) = DATEPART(yy, GETDATE()) and qq =  5 order by id desc",
         "select * from zsv_money where DATEPART('mm', money_time) = DATEPART('mm', GETDATE()) and "
         "DATEPART('yy', money_time) = DATEPART('yy', GETDATE()) and qq =  5 order by id desc",
         "select * from zsv_money where month(money_time) = month(now()) and "
         "year(money_time) = year(now()) and qq =  5 order by id desc",
         "select * from zsv_money where cast(date_part('month', cast(money_time as timestamp)) as "
         "integer) = cast(date_part('month', cast(cast(date_trunc('second', statement_timestamp()) "
         "as timestamp) as timestamp)) as integer) and cast(date_part('year', cast(money_time as "
         "timestamp)) as integer) = cast(date_part('year', cast(cast(date_trunc('second', "
         "statement_timestamp()) as timestamp) as timestamp)) as integer) and qq =  5 order by id "
         "desc"},
        {"DATEPART of the week", "select DATEPART(wk, money_time) as w from zsv_money",
         "select DATEPART('wk', money_time) as w from zsv_money",
         "select (floor((dayofyear(money_time) + dayofweek(makedate(year(money_time), 1)) - 2) / "
         "7) + 1) as w from zsv_money",
         "select (cast(floor((date_part('doy', cast(money_time as timestamp)) + date_part('dow', "
         "date_trunc('year', cast(money_time as timestamp))) - 1) / 7) as integer) + 1) as w from "
         "zsv_money"},
        {"an unknown date part is left for the engine", "select DATEPART(xx, a) from t",
         "select DATEPART('xx', a) from t", "select DATEPART(xx, a) from t",
         "select DATEPART(xx, a) from t"},
        {"bracketed names",
         "update zsv_order set [state] = '维修完毕' where WorkOrder = '130508143005'",
         "update zsv_order set [state] = '维修完毕' where WorkOrder = '130508143005'",
         "update zsv_order set `state` = '维修完毕' where WorkOrder = '130508143005'",
         "update zsv_order set \"state\" = '维修完毕' where WorkOrder = '130508143005'"},
        {"a bracketed name holding a backquote", "select [a`b] from t", "select [a`b] from t",
         "select `a``b` from t", "select \"a`b\" from t"},
        {"delete without from", "delete zsv_dialog where target=5 and affirm = 0",
         "delete from zsv_dialog where target=5 and affirm = 0",
         "delete from zsv_dialog where target=5 and affirm = 0",
         "delete from zsv_dialog where target=5 and affirm = 0"},
        {"delete with from stays", "delete from  zsv_quser where qq = 5",
         "delete from  zsv_quser where qq = 5", "delete from  zsv_quser where qq = 5",
         "delete from  zsv_quser where qq = 5"},
        {"only a delete that starts a statement",
         "create table a (b integer references c on delete cascade); delete a",
         "create table a (b integer references c on delete cascade); delete from a",
         "create table a (b integer references c on delete cascade); delete from a",
         "create table a (b integer references c on delete cascade); delete from a"},
        {"date-time difference",
         "update zsv_login set onlinetime = endtime-begintime where qq = 5 and onlinetime is null",
         "update zsv_login set onlinetime = datetime_diff(endtime, begintime) where qq = 5 and "
         "onlinetime is null",
         "update zsv_login set onlinetime = timestampadd(second, timestampdiff(second, "
         "begintime, endtime), '1900-01-01 00:00:00') where qq = 5 and onlinetime is null",
         "update zsv_login set onlinetime = (timestamp '1900-01-01 00:00:00' + (endtime - "
         "begintime)) where qq = 5 and onlinetime is null"},
        {"qualified date-time columns",
         "select zsv_login.endtime - [begintime] as t from zsv_login",
         "select datetime_diff(zsv_login.endtime, [begintime]) as t from zsv_login",
         "select timestampadd(second, timestampdiff(second, `begintime`, zsv_login.endtime), "
         "'1900-01-01 00:00:00') as t from zsv_login",
         "select (timestamp '1900-01-01 00:00:00' + (zsv_login.endtime - \"begintime\")) as t from "
         "zsv_login"},
        {"a date-time column bound by another operator first", "select 2 * endtime-begintime",
         "select 2 * endtime-begintime", "select 2 * endtime-begintime",
         "select 2 * endtime-begintime"},
        {"a difference of numbers stays",
         "select order_date,(total_sell-total_buy) as lirun from zsv_parts_order",
         "select order_date,(total_sell-total_buy) as lirun from zsv_parts_order",
         "select order_date,(total_sell-total_buy) as lirun from zsv_parts_order",
         "select order_date,(total_sell-total_buy) as lirun from zsv_parts_order"},
        {"literals and comments are not touched",
         "select top 5 speak from zsv_dialog where speak = 'delete t where [系统自动发送] top 3 "
         "endtime-begintime / DATEPART(mm, x)' /* select top 1 */ order by speak",
         "select speak from zsv_dialog where speak = 'delete t where [系统自动发送] top 3 "
         "endtime-begintime / DATEPART(mm, x)' /* select top 1 */ order by speak limit 5",
         "select speak from zsv_dialog where speak = 'delete t where [系统自动发送] top 3 "
         "endtime-begintime / DATEPART(mm, x)' order by speak limit 5",
         "select speak from zsv_dialog where speak = 'delete t where [系统自动发送] top 3 "
         "endtime-begintime / DATEPART(mm, x)' /* select top 1 */ order by speak limit 5"},
        {"a comment between two words", "select a/*x*/from t", "select a/*x*/from t",
         "select a from t", "select a/*x*/from t"},
        {"a quote-doubled literal",
         "select top 1 a from t where b = 'it''s -- top 2 / [x]' and c = ''",
         "select a from t where b = 'it''s -- top 2 / [x]' and c = '' limit 1",
         "select a from t where b = 'it''s -- top 2 / [x]' and c = '' limit 1",
         "select a from t where b = 'it''s -- top 2 / [x]' and c = '' limit 1"},
        {"an unclosed literal is left for the engine to refuse",
         "select top 1 a from t where b = 'it''s", "select top 1 a from t where b = 'it''s",
         "select top 1 a from t where b = 'it''s", "select top 1 a from t where b = 'it''s"},
    };
    return cases;
}

// What only PostgreSQL needs: it compares a text with a number only when both are texts, and it
// refuses an empty text for a number, which the central server reads as 0.
struct PostgresCase {
    const char* what;
    std::string sql;
    std::string postgres;
};

const std::vector<PostgresCase>& PostgresCases() {
    static const std::vector<PostgresCase> cases = {
        {"a text column against a bare number, either side",
         "select Client from zsv_order where WorkOrder = 130508143005 or 130508143006 = "
         "zsv_order.WorkOrder",
         "select Client from zsv_order where WorkOrder = '130508143005' or '130508143006' = "
         "zsv_order.WorkOrder"},
        {"a number column against a bare number stays",
         "select qq from zsv_quser where qq = 100001 and age >= 18",
         "select qq from zsv_quser where qq = 100001 and age >= 18"},
        {"a number in arithmetic stays a number",
         "select a from zsv_order where WorkOrder = 130508143005 + 1 or Client = -5",
         "select a from zsv_order where WorkOrder = 130508143005 + 1 or Client = -5"},
        {"a column of another kind in some table is not guessed",
         "select speakdate from zsv_dialog where speakdate = 5",
         "select speakdate from zsv_dialog where speakdate = 5"},
        {"an empty text assigned to or compared with a number column",
         "update zsv_quser set age = '', [Port_3389] = '  ', name = '' where qq = '' or "
         "zsv_quser.score <> ''",
         "update zsv_quser set age = 0, \"port_3389\" = 0, name = '' where qq = 0 or "
         "zsv_quser.score <> 0"},
        {"an empty text in arithmetic or a function stays",
         "select qq from zsv_quser where "
         "qq = '' || 'x' or age = trim('')",
         "select qq from zsv_quser where qq = '' || 'x' or age = trim('')"},
        {"an empty text in an insert's place of a number column",
         "insert into zsv_quser (name, age, u_kind, sex) values ('', '', ' ', ''), "
         "('张伟', 3, (''), '')",
         "insert into zsv_quser (name, age, u_kind, sex) values ('', 0, 0, ''), "
         "('张伟', 3, (''), '')"},
        {"an insert into a table that is no central table stays", "insert into t (age) values ('')",
         "insert into t (age) values ('')"},
        {"the weekday, the seconds and a DATEPART inside another",
         "select DATEPART(dw, a), DATEPART(ss, a), DATEPART(yy, DATEPART(mm, b)) from t",
         "select (cast(date_part('dow', cast(a as timestamp)) as integer) + 1), "
         "cast(floor(date_part('second', cast(a as timestamp))) as integer), "
         "cast(date_part('year', cast(cast(date_part('month', cast(b as timestamp)) as integer) "
         "as timestamp)) as integer) from t"},
        {"a bracketed name in upper case and one holding a double quote",
         "select [WorkOrder], [a\"b] from zsv_order",
         "select \"workorder\", \"a\"\"b\" from zsv_order"},
    };
    return cases;
}

TEST(TranslateSql, RewritesComparisonsAndEmptyTextsForPostgres) {
    for (const PostgresCase& c : PostgresCases()) {
        EXPECT_EQ(db::TranslateSql(c.sql, db::Dialect::Postgres), c.postgres) << c.what;
        // The other engines compare and convert as the central server does.
        EXPECT_EQ(db::TranslateSql(c.sql, db::Dialect::SqlServer), c.sql) << c.what;
    }
}

TEST(TranslateSql, RewritesForTheEmbeddedEngine) {
    for (const RewriteCase& c : RewriteCases()) {
        EXPECT_EQ(db::TranslateSql(c.sql, db::Dialect::Sqlite), c.sqlite) << c.what;
    }
}

TEST(TranslateSql, RewritesForMariaDb) {
    for (const RewriteCase& c : RewriteCases()) {
        EXPECT_EQ(db::TranslateSql(c.sql, db::Dialect::MariaDb), c.mariadb) << c.what;
    }
}

TEST(TranslateSql, RewritesForPostgres) {
    for (const RewriteCase& c : RewriteCases()) {
        EXPECT_EQ(db::TranslateSql(c.sql, db::Dialect::Postgres), c.postgres) << c.what;
    }
}

TEST(TranslateSql, TheCentralServerGetsEveryStatementUnchanged) {
    for (const RewriteCase& c : RewriteCases()) {
        EXPECT_EQ(db::TranslateSql(c.sql, db::Dialect::SqlServer), c.sql) << c.what;
    }
}

// Each case runs its statements in the central server's dialect through CentralDb on a real
// SQLite database with the central schema and looks at the rows that come back.
struct RunCase {
    const char* what;
    std::vector<std::string> setup;
    std::string query;
    std::vector<std::string> columns;
    std::vector<std::string> rows;  // the columns joined by "|"
};

class SqlDialectRunTest : public testing_support::CentralEnginesTest {
  protected:
    // Empties the tables, runs the case's statements and compares the rows of its query. A
    // failed statement ends only this case.
    static void Run(const RunCase& c) {
        for (const char* table : {"zsv_order", "zsv_parts_order", "zsv_parts_price", "zsv_login",
                                  "zsv_money", "zsv_dialog", "zsv_friend"}) {
            ASSERT_TRUE(CentralDb.Execute(std::string("delete from ") + table));
        }
        for (const std::string& statement : c.setup) {
            ASSERT_TRUE(CentralDb.Execute(statement)) << statement << ": " << CentralDb.LastError();
        }
        std::vector<std::string> rows;
        EXPECT_TRUE(CentralDb.QueryRows(c.query, c.columns, rows, "|")) << CentralDb.LastError();
        EXPECT_EQ(rows, c.rows);
    }
};

const std::string kNotice =
    "提示： 客服确认了您的维修任务[130508143005]。 [系统自动发送] select top 1 delete t "
    "where endtime-begintime / 2 DATEPART(mm, x) -- ";

TEST_P(SqlDialectRunTest, EveryConstructRuns) {
    ASSERT_TRUE(CentralDb.ConnectCentral());
    const std::string orders =
        "insert into zsv_order (WorkOrder, Client, [State], manager_id) values "
        "('130508143005', '张三', '创建工单', 7), ('130509100000', 'B', '创建工单', 7), "
        "('130510100000', 'B', '创建工单', 7), ('130511100000', 'A', '创建工单', 8)";
    const std::string parts =
        "insert into zsv_parts_price (id, model, count, count_yu, SellingPrice, RatePrice, "
        "status, manager_id) values (1, 'M1', 10, 6, 30, 15, '确认', 7), "
        "(2, 'M2', 3, 3, 200, 10, '确认', 7), (3, 'M3', 1, 1, 5, 0, '申报', 8)";
    const std::vector<RunCase> cases = {
        {"top without order by",
         {parts},
         "select top 2 id from zsv_parts_price",
         {"id"},
         {"1", "2"}},
        {"top with order by and double blanks",
         {orders},
         "select top 2 WorkOrder,Client  from zsv_order where manager_id =  7 order by WorkOrder "
         "desc",
         {"WorkOrder", "Client"},
         {"130510100000|B", "130509100000|B"}},
        {"top after distinct",
         {orders},
         "select distinct top 2 Client from zsv_order where manager_id = 7 order by Client",
         {"Client"},
         {"B", "张三"}},
        {"top in a sub-select",
         {orders},
         "select Client from zsv_order where WorkOrder = (select top 1 WorkOrder from zsv_order "
         "where manager_id = 8 order by WorkOrder desc)",
         {"Client"},
         {"A"}},
        {"DATEPART of a stored date-time",
         {"insert into zsv_money (id, qq, money_time) values (2, 5, '2001-02-03 04:05:06')"},
         "select DATEPART(yy, money_time) as y, DATEPART(mm, money_time) as m, DATEPART(dd, "
         "money_time) as d from zsv_money where id = 2",
         {"y", "m", "d"},
         {"2001|2|3"}},
        {"DATEPART against GETDATE(): this month's rows",
         {"insert into zsv_money (id, qq, money_time) values (1, 5, getdate())",
          "insert into zsv_money (id, qq, money_time) values (2, 5, '2001-02-03 04:05:06')"},
         "select * from zsv_money where DATEPART(mm, money_time) = DATEPART(mm, GETDATE()) and "
         "DATEPART(yy, money_time) = DATEPART(yy, GETDATE()) and qq =  5 order by id desc",
         {"id"},
         {"1"}},
        {"bracketed names, a text column against a sub-select",
         {orders, "insert into zsv_parts_order (id, id_order) values (1, '130508143005')",
          "update zsv_order set [state] = '维修完毕' where WorkOrder = '130508143005'"},
         "select [state] from zsv_order where workorder =( select id_order from zsv_parts_order "
         "where id = 1 ) ",
         {"state"},
         {"维修完毕"}},
        {"delete without from",
         {"insert into zsv_dialog (target, speak, affirm) values (5, 'a', 0), (5, 'b', 1), "
          "(6, 'c', 0)",
          "delete zsv_dialog where target=5 and affirm = 0"},
         "select speak from zsv_dialog order by speak",
         {"speak"},
         {"b", "c"}},
        {"date-time difference counted from 1900-01-01",
         {"insert into zsv_login (qq,ip,begintime) values ( 5,'10.0.0.2', '2024-03-01 "
          "08:00:00' )",
          "update zsv_login set endtime = '2024-03-02 09:30:15' where qq = 5 and endtime is null",
          "update zsv_login set onlinetime = endtime-begintime where qq = 5 and onlinetime is "
          "null"},
         "select onlinetime from zsv_login where qq = 5",
         {"onlinetime"},
         {"1900-01-02 01:30:15"}},
        {"a difference of numbers",
         {"insert into zsv_parts_order (id, total_sell, total_buy) values (1, 50, 31)"},
         "select (total_sell-total_buy) as lirun from zsv_parts_order",
         {"lirun"},
         {"19"}},
        {"a division of money keeps the fraction",
         {parts},
         "select top 500 id,SellingPrice * RatePrice / 100 as TiCheng  from zsv_parts_price "
         "where manager_id = 7  order by status desc, id desc",
         {"id", "TiCheng"},
         {"2|20", "1|4.5"}},
        {"a text column against a bare number",
         {orders},
         "select Client from zsv_order where WorkOrder = 130508143005",
         {"Client"},
         {"张三"}},
        {"a number column against a quoted number",
         {"insert into zsv_friend (qq,friendqq,black) values (5,6,0 )",
          "insert into zsv_friend (qq,friendqq,black) values (5,7,0 )",
          "delete from zsv_friend where qq = '5' and friendqq = 6"},
         "select friendqq from zsv_friend",
         {"friendqq"},
         {"7"}},
        {"a literal with brackets and keywords",
         {"insert into zsv_dialog (target, speak, affirm) values (9, '" + kNotice + "', 0)"},
         "select top 1 speak from zsv_dialog where speak = '" + kNotice + "'",
         {"speak"},
         {kNotice}},
        {"a quote-doubled literal",
         {"insert into zsv_dialog (target, speak, affirm) values (9, 'it''s top 5 / 2', 0)"},
         "select speak from zsv_dialog where speak = 'it''s top 5 / 2'",
         {"speak"},
         {"it's top 5 / 2"}},
        {"every assignment of an update reads the row before it",
         {parts,
          "update zsv_parts_price set model = 'M9', count = 8 , count_yu = count_yu - ( count - "
          "8 ) , status = '修改' where id = 1"},
         "select model,count,count_yu,status from zsv_parts_price where id = 1",
         {"model", "count", "count_yu", "status"},
         {"M9|8|4|修改"}},
        {"a column named count in a sum",
         {parts},
         "select sum(count*SellingPrice) as total_sell from zsv_parts_price where  manager_id = 7",
         {"total_sell"},
         {"900"}},
        {"a blank between count and its argument",
         {parts},
         "select count (*) as n from zsv_parts_price where manager_id = 7",
         {"n"},
         {"2"}},
        {"weeks start on Sunday, the week of 1 January is week 1",
         {"insert into zsv_money (id, qq, money_time) values (1, 5, '2024-01-06 10:00:00'), "
          "(2, 5, '2024-01-07 10:00:00'), (3, 5, '2023-01-01 10:00:00'), "
          "(4, 5, '2023-01-08 10:00:00'), (5, 5, '2024-12-31 10:00:00')"},
         "select id, DATEPART(wk, money_time) as w, DATEPART(dw, money_time) as d from zsv_money "
         "order by id",
         {"id", "w", "d"},
         {"1|1|7", "2|2|1", "3|1|1", "4|2|1", "5|53|3"}},
        {"a backslash is an ordinary character",
         {"insert into zsv_dialog (target, speak, affirm) values (9, 'C:\\temp\\', 0)",
          "insert into zsv_dialog (target, speak, affirm) values (9, '\\''); delete from "
          "zsv_dialog; --', 0)"},
         "select speak from zsv_dialog where target = 9 order by speak",
         {"speak"},
         {"C:\\temp\\", "\\'); delete from zsv_dialog; --"}},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.what);
        Run(c);
    }
    EXPECT_TRUE(shell_.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, SqlDialectRunTest,
                         ::testing::ValuesIn(testing_support::CentralEngines()),
                         testing_support::EngineName);

}  // namespace
