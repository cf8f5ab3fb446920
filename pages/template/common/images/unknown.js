// Device picture, drawn inline by ui/device_image.js.
export default `<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 240 300" class="device-svg unknown-svg">
	<path class="body" d="M92 150 h56 v60 a12 12 0 0 1 -12 12 h-32 a12 12 0 0 1 -12 -12 z"/>
	<rect class="zone" x="100" y="118" width="40" height="32" rx="3"/>
	<rect class="led" x="108" y="126" width="8" height="8"/>
	<rect class="led" x="124" y="126" width="8" height="8"/>
	<path class="leader" d="M120 222 v30 c0 16 -30 16 -30 32"/>
</svg>`;
