// The report view: the heading, the chart (a PNG the server draws) and the table with its row
// colours, bold rows, trend marks and sort column. A list report is sorted again by a click on
// one of its period captions. Cells that hold addresses are links to a new tab and have a menu.
import { el, isOpenableUrl } from './dom.js';

// The arrows are drawn by the style sheet, so a cell's text is the report's text alone.
const MARKS = [
  { className: 'mark up', title: 'Rising' },
  { className: 'mark down', title: 'Falling' },
];

export class ReportView {
  // host: { sortBy(period), cellMenu(event, text, actions), chartUrl(id, sort, width) }
  constructor(root, host) {
    this.root = root;
    this.host = host;
  }

  clear(text) {
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
    if (report.rows.length === 0) {
      parts.push(el('div', { className: 'placeholder', text: 'No data for these days and this filter.' }));
    }
    this.root.replaceChildren(...parts);
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
    for (const row of report.rows) {
      const tr = el('tr', { className: row.bold ? 'bold' : '' });
      tr.style.backgroundColor = /^#[0-9A-F]{6}$/i.test(row.colour) ? row.colour : '';
      row.cells.forEach((text, index) => {
        const column = report.columns[index] || { align: 'right' };
        const td = el('td', {
          className: `align-${column.align}${index === report.sort_column ? ' sorted' : ''}`,
        });
        if (index === 0) {
          for (const image of row.images) {
            if (image >= 0) {
              const mark = MARKS[image] || { className: 'mark other', title: '' };
              td.append(el('span', { className: mark.className, title: mark.title }));
            }
          }
        }
        const actions = row.actions ? row.actions[index] : isOpenableUrl(text) ? ['open', 'copy'] : null;
        if (isOpenableUrl(text)) {
          td.append(el('a', { href: text, target: '_blank', rel: 'noopener noreferrer', text }));
        } else {
          td.append(document.createTextNode(text));
        }
        if (actions && actions.length > 1) {
          td.classList.add('actionable');
          td.addEventListener('contextmenu', (event) => {
            event.preventDefault();
            this.host.cellMenu(event, text, actions);
          });
          if (!isOpenableUrl(text)) {
            td.addEventListener('click', (event) => this.host.cellMenu(event, text, actions));
          }
        }
        tr.append(td);
      });
      body.append(tr);
    }
    return el('table', { id: 'report-table', className: 'report' }, [el('thead', {}, [head]), body]);
  }
}
