// The report tree: groups and reports with their pictures, folded and unfolded by the toggle or
// a double click. Selecting a report shows it; a group-only node shows nothing.
import { el, icon } from './dom.js';

export class ReportTree {
  // onSelect(id or null, title)
  constructor(root, nodes, onSelect) {
    this.root = root;
    this.onSelect = onSelect;
    this.items = new Map(); // report id -> row element
    this.selected = null;
    root.replaceChildren();
    const list = el('ul', { className: 'tree', role: 'tree' });
    const parents = [list];
    nodes.forEach((node, index) => {
      const hasChildren = index + 1 < nodes.length && nodes[index + 1].level > node.level;
      const row = el('div', { className: 'tree-row', dataset: { level: node.level } });
      row.style.paddingLeft = `${4 + node.level * 16}px`;
      const toggle = el('span', { className: hasChildren ? 'toggle' : 'toggle none' });
      row.append(toggle, icon(node.icon), el('span', { className: 'tree-title', text: node.title }));
      const item = el('li', { role: 'treeitem' }, [row]);
      if (node.id) {
        item.dataset.report = node.id;
        this.items.set(node.id, row);
      }
      parents.length = node.level + 1;
      parents[node.level].append(item);
      if (hasChildren) {
        const children = el('ul', { role: 'group' });
        item.append(children);
        item.classList.add(node.level === 0 ? 'expanded' : 'collapsed');
        parents[node.level + 1] = children;
        toggle.addEventListener('click', (event) => {
          event.stopPropagation();
          this.fold(item);
        });
        row.addEventListener('dblclick', () => this.fold(item));
      }
      row.addEventListener('click', () => {
        this.mark(row);
        this.onSelect(node.id || null, node.title);
      });
    });
    root.append(list);
  }

  fold(item) {
    const expanded = item.classList.toggle('expanded');
    item.classList.toggle('collapsed', !expanded);
  }

  mark(row) {
    if (this.selected) this.selected.classList.remove('selected');
    this.selected = row;
    if (row) row.classList.add('selected');
  }

  // Marks report `id` as the one shown, unfolding the groups above it.
  select(id) {
    const row = this.items.get(id);
    if (!row) return;
    for (let item = row.parentElement; item && item !== this.root; item = item.parentElement) {
      if (item.classList.contains('collapsed')) this.fold(item);
    }
    this.mark(row);
    row.scrollIntoView({ block: 'nearest' });
  }
}
