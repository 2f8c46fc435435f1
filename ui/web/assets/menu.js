// The menu bar: drop-down menus opened by a click, with the availability of every item worked out
// again each time a menu opens, and the item's prompt in the status bar while the pointer is on it.
import { el, mnemonicLabel } from './dom.js';
import { MENUS, statusPrompt } from './commands.js';

export class MenuBar {
  // host: { isAvailable(command), run(command), recent() -> [path], openRecent(index),
  //         setPrompt(text or null) }
  constructor(root, host) {
    this.root = root;
    this.host = host;
    this.open = null;
    this.buttons = [];
    for (const menu of MENUS) {
      const button = el('button', { className: 'menu-title', type: 'button', role: 'menuitem' });
      button.append(mnemonicLabel(menu.text).node);
      button.addEventListener('mousedown', (event) => {
        event.preventDefault();
        if (this.open && this.open.button === button) this.close();
        else this.show(menu, button);
      });
      button.addEventListener('mouseenter', () => {
        if (this.open && this.open.button !== button) this.show(menu, button);
      });
      this.buttons.push(button);
      root.append(button);
    }
    document.addEventListener('mousedown', (event) => {
      if (this.open && !this.root.contains(event.target) && !this.open.panel.contains(event.target)) {
        this.close();
      }
    });
    document.addEventListener('keydown', (event) => {
      if (event.key === 'Escape' && this.open) this.close();
    });
  }

  show(menu, button) {
    this.close();
    const panel = el('div', { className: 'menu-panel', role: 'menu' });
    for (const item of menu.items) panel.append(this.itemNode(item));
    const box = button.getBoundingClientRect();
    panel.style.left = `${box.left}px`;
    panel.style.top = `${box.bottom}px`;
    document.body.append(panel);
    button.classList.add('open');
    this.open = { button, panel, sub: null };
  }

  itemNode(item) {
    if (item === null) return el('div', { className: 'menu-separator', role: 'separator' });
    const [text, key] = item.text.split('\t');
    const enabled = item.submenu ? true : this.host.isAvailable(item.command);
    const node = el('div', {
      className: `menu-item${enabled ? '' : ' disabled'}${item.submenu ? ' has-submenu' : ''}`,
      role: 'menuitem',
      'aria-disabled': enabled ? 'false' : 'true',
      dataset: { command: item.command || item.submenu },
    });
    node.append(mnemonicLabel(text).node, el('span', { className: 'key', text: key || '' }));
    node.addEventListener('mouseenter', () => {
      this.host.setPrompt(item.command ? statusPrompt(item.command) : null);
      if (item.submenu) this.showRecent(node);
      else this.closeSub();
    });
    node.addEventListener('mouseleave', () => this.host.setPrompt(null));
    node.addEventListener('click', () => {
      if (item.submenu) {
        this.showRecent(node);
        return;
      }
      if (!enabled) return;
      this.close();
      this.host.run(item.command);
    });
    return node;
  }

  showRecent(anchor) {
    this.closeSub();
    const panel = el('div', { className: 'menu-panel submenu', role: 'menu' });
    const recent = this.host.recent();
    if (recent.length === 0) {
      panel.append(el('div', { className: 'menu-item disabled', text: '(empty)' }));
    }
    recent.forEach((path, index) => {
      const node = el('div', { className: 'menu-item', role: 'menuitem' }, [
        el('span', { className: 'label', text: `${index + 1} ${path}` }),
      ]);
      node.addEventListener('click', () => {
        this.close();
        this.host.openRecent(index);
      });
      panel.append(node);
    });
    const box = anchor.getBoundingClientRect();
    panel.style.left = `${box.right - 2}px`;
    panel.style.top = `${box.top - 3}px`;
    document.body.append(panel);
    this.open.sub = panel;
  }

  closeSub() {
    if (this.open && this.open.sub) {
      this.open.sub.remove();
      this.open.sub = null;
    }
  }

  close() {
    if (!this.open) return;
    this.closeSub();
    this.open.panel.remove();
    this.open.button.classList.remove('open');
    this.open = null;
    this.host.setPrompt(null);
  }
}
