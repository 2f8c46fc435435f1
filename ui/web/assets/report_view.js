// The report view: the heading, the chart (a PNG the server draws) and the table with its row
// colours, bold rows, trend marks and sort column. A list report is sorted again by a click on
// one of its period captions. Cells that hold addresses are links to a new tab and have a menu.
import { el, isOpenableUrl } from './dom.js';

const FIRST_ROWS = 120;
const LATER_ROWS = 400;

// The arrows are drawn by the style sheet, so a cell's text is the report's text alone.
const MARKS = [
  { className: 'mark up', title: 'Rising' },
  { className: 'mark down', title: 'Falling' },
];

export class ReportView {
  // host: { sortBy(period), showAll(), cellMenu(event, text, actions), chartUrl(id, sort, width) }
  constructor(root, host) {
    this.root = root;
    this.host = host;
  }

  clear(text) {
    this.pending = null;
    this.root.replaceChildren();
    if (text) this.root.append(el('div', { className: 'placeholder', text }));
  }

  render(report, sort) {
    const heading = el('div', { className: 'report-heading' }, [
      el('h1', { id: 'report-title', text: report.title }),
      el('span', { className: 'report-day', text: `Today: ${report.reference_day}` }),
    ]);
    const parts = [heading];
    if (report.chart && report.chart.title) {
      const width = Math.max(300, Math.min(1100, this.root.clientWidth - 40));
      parts.push(
        el('div', { className: 'chart' }, [
          el('img', {
            id: 'chart',
            alt: report.chart.title,
            width,
            height: Math.floor(width / 3),
            src: this.host.chartUrl(report.id, sort, width),
          }),
        ]),
      );
    }
    parts.push(this.table(report));
    if (report.total_rows > report.rows.length) {
      parts.push(el('div', { className: 'more-rows' }, [
        `The first ${report.rows.length.toLocaleString('en')} of ${report.total_rows.toLocaleString('en')} rows. `,
        el('button', { id: 'show-all', type: 'button', text: 'Show all', onclick: () => this.host.showAll() }),
      ]));
    }
    if (report.rows.length === 0) {
      parts.push(el('div', { className: 'placeholder', text: 'No data for these days and this filter.' }));
    }
    this.root.replaceChildren(...parts);
  }

  // Draws rows of the pending table, `count` of them.
  appendRows(count) {
    const { rows, body, classes, cellActions } = this.pending;
    const end = Math.min(rows.length, this.pending.next + count);
    const part = document.createDocumentFragment();
    for (let r = this.pending.next; r < end; ++r) {
      const row = rows[r];
      const tr = document.createElement('tr');
      if (row.bold) tr.className = 'bold';
      if (/^#[0-9A-F]{6}$/i.test(row.colour)) tr.style.backgroundColor = row.colour;
      row.cells.forEach((text, index) => {
        const td = document.createElement('td');
        td.className = classes[index] || 'align-right';
        if (index === 0) {
          for (const image of row.images) {
            if (image < 0) continue;
            const mark = MARKS[image] || { className: 'mark other', title: '' };
            const span = document.createElement('span');
            span.className = mark.className;
            span.title = mark.title;
            td.append(span);
          }
        }
        const url = isOpenableUrl(text);
        if (url) {
          const a = document.createElement('a');
          a.href = text;
          a.target = '_blank';
          a.rel = 'noopener noreferrer';
          a.textContent = text;
          td.append(a);
        } else {
          td.append(text);
        }
        const actions = row.actions ? row.actions[index] : url ? ['open', 'copy'] : null;
        if (actions && actions.length > 1) {
          td.classList.add('actionable');
          cellActions.set(td, { text, actions });
        }
        tr.append(td);
      });
      part.append(tr);
    }
    body.append(part);
    this.pending.next = end;
    return end < rows.length;
  }

  // Resolves once every row is drawn: the first ones at once, the rest a batch at a time, so the
  // report shows before a long list is finished.
  finish() {
    return new Promise((resolve) => {
      const more = () => {
        if (!this.pending || !this.appendRows(LATER_ROWS)) resolve();
        else setTimeout(more, 0);
      };
      if (this.pending && this.pending.next < this.pending.rows.length) setTimeout(more, 0);
      else resolve();
    });
  }

  table(report) {
    const sortable = report.sort_column >= 0;
    const head = el('tr');
    report.columns.forEach((column, index) => {
      const period = index - 1;
      const th = el('th', {
        className: `align-${column.align}${column.wide ? ' wide' : ''}${index === report.sort_column ? ' sorted' : ''}`,
        scope: 'col',
        text: column.caption,
      });
      if (sortable && period >= 0 && period <= 4) {
        th.classList.add('sortable');
        th.title = `Sort by ${column.caption}`;
        th.addEventListener('click', () => this.host.sortBy(period));
      }
      head.append(th);
    });
    const body = el('tbody');
    const classes = report.columns.map((column, index) =>
      `align-${column.align}${index === report.sort_column ? ' sorted' : ''}`);
    // One listener for the whole table: the cell's text and actions are looked up on demand.
    const cellActions = new WeakMap();
    const onCell = (event) => {
      const td = event.target.closest('td');
      const entry = td && cellActions.get(td);
      if (!entry || (event.type === 'click' && event.target.closest('a'))) return;
      event.preventDefault();
      this.host.cellMenu(event, entry.text, entry.actions);
    };
    body.addEventListener('contextmenu', onCell);
    body.addEventListener('click', onCell);
    this.pending = { rows: report.rows, next: 0, body, classes, cellActions };
    this.appendRows(FIRST_ROWS);
    return el('table', { id: 'report-table', className: 'report' }, [el('thead', {}, [head]), body]);
  }
}
