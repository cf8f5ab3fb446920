// Device picture, drawn inline by ui/device_image.js.
export default `<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 240 300" class="device-svg keyboard-svg">
	<rect class="body" x="12" y="100" width="216" height="96" rx="10"/>
	<g class="keys">
		<rect x="24" y="112" width="14" height="12" rx="2"/><rect x="42" y="112" width="14" height="12" rx="2"/><rect x="60" y="112" width="14" height="12" rx="2"/><rect x="78" y="112" width="14" height="12" rx="2"/><rect x="96" y="112" width="14" height="12" rx="2"/><rect x="114" y="112" width="14" height="12" rx="2"/><rect x="132" y="112" width="14" height="12" rx="2"/><rect x="150" y="112" width="14" height="12" rx="2"/><rect x="168" y="112" width="14" height="12" rx="2"/><rect x="186" y="112" width="30" height="12" rx="2"/>
		<rect x="24" y="130" width="22" height="12" rx="2"/><rect x="50" y="130" width="14" height="12" rx="2"/><rect x="68" y="130" width="14" height="12" rx="2"/><rect x="86" y="130" width="14" height="12" rx="2"/><rect x="104" y="130" width="14" height="12" rx="2"/><rect x="122" y="130" width="14" height="12" rx="2"/><rect x="140" y="130" width="14" height="12" rx="2"/><rect x="158" y="130" width="14" height="12" rx="2"/><rect x="176" y="130" width="40" height="12" rx="2"/>
		<rect x="24" y="148" width="28" height="12" rx="2"/><rect x="56" y="148" width="14" height="12" rx="2"/><rect x="74" y="148" width="14" height="12" rx="2"/><rect x="92" y="148" width="14" height="12" rx="2"/><rect x="110" y="148" width="14" height="12" rx="2"/><rect x="128" y="148" width="14" height="12" rx="2"/><rect x="146" y="148" width="14" height="12" rx="2"/><rect x="164" y="148" width="52" height="12" rx="2"/>
		<rect x="24" y="166" width="22" height="14" rx="2"/><rect x="50" y="166" width="22" height="14" rx="2"/><rect x="76" y="166" width="88" height="14" rx="2"/><rect x="168" y="166" width="22" height="14" rx="2"/><rect x="194" y="166" width="22" height="14" rx="2"/>
	</g>
	<rect id="led1" class="led" x="12" y="194" width="216" height="3" rx="1"/>
</svg>`;
