#include "forms/ListView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/Form.h"
#include "support/TestHost.h"

namespace quill::forms {
namespace {

using test::TestHost;

class ListForm : public Form {
 public:
  explicit ListForm(Host& host) : Form(host, "frmList") {}
  ListView lvwResults{*this, "lvwResults", {"Threat", "Location", "Type"}, true};
};

std::vector<std::string> Texts(const ListView& list) {
  std::vector<std::string> out;
  for (const auto& row : list.Items()) out.push_back(row.text);
  return out;
}

struct ListViewTest : ::testing::Test {
  TestHost host;
  ListForm form{host};
  ListView& list = form.lvwResults;
};

TEST_F(ListViewTest, KeepsRowsSubItemsIconsAndChecks) {
  EXPECT_EQ(list.ColumnCount(), 3);
  EXPECT_EQ(list.Column(2).text, "Location");
  EXPECT_EQ(list.Add("Adware.One", 3, {"C:\\a.exe", "File"}), 0);
  EXPECT_EQ(list.Add("Cookie.Two", 1), 1);
  list.SetSubItem(1, 2, "Cookie");  // sub-item 1 does not exist yet: it reads ""
  EXPECT_EQ(list.Item(1).SubItem(1), "");
  EXPECT_EQ(list.Item(1).SubItem(2), "Cookie");
  EXPECT_EQ(list.Item(1).SubItem(9), "");
  EXPECT_EQ(list.Item(0).SubItem(1), "C:\\a.exe");
  EXPECT_EQ(list.Item(0).smallIcon, 3);
  list.SetSmallIcon(1, 5);
  EXPECT_EQ(list.Item(1).smallIcon, 5);

  int handlerCalls = 0;
  int lastRow = -1;
  list.OnItemCheck([&](int row) {
    ++handlerCalls;
    lastRow = row;
  });
  list.SetChecked(0, true);  // code: no handler
  EXPECT_TRUE(list.Item(0).checked);
  EXPECT_EQ(handlerCalls, 0);
  list.UserCheck(1, true);
  EXPECT_TRUE(list.Item(1).checked);
  EXPECT_EQ(handlerCalls, 1);
  EXPECT_EQ(lastRow, 1);

  list.Remove(0);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"Cookie.Two"}));
  list.Remove(5);  // no such row: nothing happens
  list.Add("A");
  list.Add("B");
  list.RemoveIf([](const ListItem& row) { return row.text.size() == 1 && row.text != "B"; });
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"Cookie.Two", "B"}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(ListViewTest, SortsByColumnTextBothWaysAndOnAdd) {
  list.Add("beta", 0, {"C:\\z", "File"});
  list.Add("Alpha", 0, {"c:\\b", "Registry"});
  list.Add("gamma", 0, {"C:\\A", "Cookie"});
  list.Add("alpha", 0, {"D:\\", "File"});

  list.SetSorted(true);  // key 0 (row text), ascending, case-insensitive, stable
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"Alpha", "alpha", "beta", "gamma"}));
  list.SetSortOrder(SortOrder::Descending);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"gamma", "beta", "Alpha", "alpha"}));
  list.SetSortKey(1);  // location column
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"alpha", "beta", "Alpha", "gamma"}));
  list.SetSortOrder(SortOrder::Ascending);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"gamma", "Alpha", "beta", "alpha"}));

  // A new row lands in its sorted place, after rows of an equal key.
  EXPECT_EQ(list.Add("delta", 0, {"C:\\m", "File"}), 2);
  EXPECT_EQ(list.Add("epsilon", 0, {"c:\\M", "File"}), 3);
  EXPECT_EQ(Texts(list),
            (std::vector<std::string>{"gamma", "Alpha", "delta", "epsilon", "beta", "alpha"}));

  list.SetSorted(false);  // rows stay where they are, new ones go to the end
  EXPECT_EQ(list.Add("aaa"), 6);
}

TEST_F(ListViewTest, RowsAddedOneByOneEndWhereASortOfAllOfThemPutsThem) {
  // Keys with many case-only duplicates, so that both the ordering and its stability show.
  std::vector<std::string> texts;
  unsigned seed = 7;
  for (int i = 0; i < 300; ++i) {
    seed = seed * 1103515245u + 12345u;
    std::string t(1, static_cast<char>('a' + (seed >> 16) % 5));
    t += static_cast<char>(((seed >> 20) & 1) ? 'X' : 'x');
    texts.push_back(t + std::to_string(i));
  }
  for (SortOrder order : {SortOrder::Ascending, SortOrder::Descending}) {
    ListView incremental(form, "lvwA");
    ListView atOnce(form, "lvwB");
    incremental.SetSortKey(1);
    atOnce.SetSortKey(1);
    incremental.SetSortOrder(order);
    atOnce.SetSortOrder(order);
    incremental.SetSorted(true);
    for (const auto& t : texts) {
      incremental.Add(t, 0, {t.substr(0, 2)});
      atOnce.Add(t, 0, {t.substr(0, 2)});
    }
    atOnce.SetSorted(true);
    EXPECT_EQ(Texts(incremental), Texts(atOnce));
  }
}

TEST_F(ListViewTest, ReportsFineGrainedChangesAndUserActions) {
  std::vector<std::string> changes;
  int plain = 0;
  list.SubscribeRows([&](const ListChange& c) {
    changes.push_back(std::to_string(static_cast<int>(c.kind)) + ":" + std::to_string(c.index));
  });
  list.Changed().Subscribe([&] { ++plain; });
  list.Add("b");
  list.Add("a");
  list.SetText(0, "c");
  list.SetSorted(true);
  list.Remove(1);
  list.SetColumnText(1, "Name");
  list.Clear();
  EXPECT_EQ(changes,
            (std::vector<std::string>{"0:0", "0:1", "1:0", "4:-1", "2:1", "5:-1", "3:-1"}));
  EXPECT_EQ(plain, 7);

  std::vector<int> columns;
  std::vector<int> doubles;
  list.OnColumnClick([&](int c) { columns.push_back(c); });
  list.OnDoubleClick([&](int r) { doubles.push_back(r); });
  list.Add("x");
  list.Add("y");
  list.UserColumnClick(2);
  list.UserDoubleClick(1);
  EXPECT_EQ(columns, (std::vector<int>{2}));
  EXPECT_EQ(doubles, (std::vector<int>{1}));
  EXPECT_EQ(list.SelectedIndex(), 1);
  list.SetSelected(0, true);  // one selected row at a time
  EXPECT_EQ(list.SelectedIndex(), 0);
  EXPECT_FALSE(list.Item(1).selected);
}

}  // namespace
}  // namespace quill::forms
